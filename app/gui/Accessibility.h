// What the template dialogs offer a screen reader or a test robot through
// Qt's accessibility API (AT-SPI on Linux), where Qt's own answers fall
// short: the port buttons are radio buttons (Qt calls a radio button that is
// not auto-exclusive a check box) and the children of the group box that
// frames them, so that a reader says "COM7, radio button, 2 of 3"; a hidden
// slot has no name and no description; a port button's description is its
// tool tip as plain text; and a static text offers its text through the Text
// interface as well as its name, so that a reader can read a line on demand.
#pragma once

namespace fwut::qt {

// Installs the accessible interfaces; once is enough, and more do no harm.
void InstallAccessibility();

}  // namespace fwut::qt

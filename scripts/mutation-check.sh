#!/usr/bin/env bash
# Mutation check: puts realistic faults into the product code one at a time,
# builds, runs the Linux tests and counts the faults the tests catch ("kill").
# Each fault is an exact text in one file replaced by another; the file is
# restored afterwards, whatever happens. Prints every fault's fate and the
# kill rate; the faults no test catches are the ones to look at.
# Usage: scripts/mutation-check.sh [--only NAME] [--tests REGEX] [--list] [--verify]
# --verify only checks that every fault's text is still in its file, once.
# --tests runs only the tests whose names match REGEX (quicker, for faults
# known to belong to those tests; a fault they miss is reported as surviving).
# Needs a configured default build (cmake --preset default).
set -euo pipefail
cd "$(dirname "$0")/.."

# name @@ file @@ text @@ faulty text
read -r -d '' FAULTS <<'EOF' || true
frame-header-byte @@ serial/RelayFrame.cpp @@ {0x41, 0x8C, 0x11 @@ {0x41, 0x8D, 0x11
frame-length-digits @@ serial/RelayFrame.cpp @@ const int count = n + 15; @@ const int count = n + 14;
frame-trailer @@ serial/RelayFrame.cpp @@ frame[21 + n] = 0x00; @@ frame[21 + n] = 0x01;
frame-split @@ serial/RelayFrame.h @@ kRelayFrameMaxPayload = 86; @@ kRelayFrameMaxPayload = 85;
rate-command-byte @@ update/RelayCommands.cpp @@ "\x1B$:U9" @@ "\x1B$:U8"
second-rate @@ update/RelayCommands.cpp @@ SetLineSettings(19200, 'N', '8') @@ SetLineSettings(38400, 'N', '8')
rate-pause @@ update/RelayCommands.cpp @@ Delay(30);\n    m_serialPort.SetLineSettings(19200 @@ Delay(20);\n    m_serialPort.SetLineSettings(19200
config-pause-half @@ update/RelayCommands.cpp @@ Delay(1000); @@ Delay(500);
second-config-text @@ update/RelayCommands.cpp @@ "<RS<#:C14" @@ "<RS<#:C41"
clear-keeps-input @@ serial/RS232.cpp @@ m_api.PurgeComm(m_hPort, PURGE_TXCLEAR);\n    m_api.PurgeComm(m_hPort, PURGE_RXCLEAR); @@ m_api.PurgeComm(m_hPort, PURGE_TXCLEAR);
wake-up-byte @@ update/RelayCommands.cpp @@ kWakeUpByte = 0xC0; @@ kWakeUpByte = 0xC1;
ready-byte @@ update/RelayCommands.cpp @@ kReadyByte = 0xD0; @@ kReadyByte = 0xD1;
scan-eats-after-d0 @@ update/RelayCommands.cpp @@ PostPrivateMessage(WM_MODULE_ANSWERED);\n            return; @@ PostPrivateMessage(WM_MODULE_ANSWERED);
poll-before-scan @@ update/UpdateStart.cpp @@ ScanForReadyByte();\n    if (!m_serialPort.IsLineLost()) {\n        SendWakeUpPoll();\n    } @@ if (!m_serialPort.IsLineLost()) {\n        SendWakeUpPoll();\n    }\n    ScanForReadyByte();
request-text @@ update/TransferTexts.h @@ "^#+-QX-RTB-427-6.05" @@ "^#+-QX-RTB-427-6.06"
version-limit @@ update/Transfer.cpp @@ kVersionLimitMs = 3000; @@ kVersionLimitMs = 3500;
version-limit-start @@ update/Transfer.cpp @@ m_serialPort.SendPacketString(kBootLoaderRequest);\n    Delay(10);\n    const DWORD start = m_env.clock.GetTickCount(); @@ const DWORD start = m_env.clock.GetTickCount();\n    m_serialPort.SendPacketString(kBootLoaderRequest);\n    Delay(10);
ready-limit @@ update/Transfer.cpp @@ kReadyLimitMs = 2000; @@ kReadyLimitMs = 3000;
page-answer-limit @@ update/Transfer.cpp @@ kPageAnswerLimitMs = 3000; @@ kPageAnswerLimitMs = 2000;
page-limit-start @@ update/Transfer.cpp @@ TransmitPage(pageIndex, page);\n\n        // A read that delivers nothing counts as the byte 0x00: an invalid\n        // answer. An answer already there when a stop comes is taken, so that\n        // a page the module accepted is counted as accepted.\n        std::uint8_t answer = 0;\n        const ByteWait wait{m_env.clock.GetTickCount(), @@ const DWORD sent = m_env.clock.GetTickCount();\n        TransmitPage(pageIndex, page);\n        std::uint8_t answer = 0;\n        const ByteWait wait{sent,
one-transmission-more @@ update/Transfer.cpp @@ kMaxTransmissions = 5; @@ kMaxTransmissions = 6;
checksum-short @@ update/Transfer.cpp @@ PageChecksum(page, sizeof page) @@ PageChecksum(page, sizeof page - 1)
header-byte-order @@ update/Transfer.cpp @@ {static_cast<std::uint8_t>(pageIndex >> 8),\n                                    static_cast<std::uint8_t>(pageIndex & 0xFF)} @@ {static_cast<std::uint8_t>(pageIndex & 0xFF),\n                                    static_cast<std::uint8_t>(pageIndex >> 8)}
page-pause @@ update/Transfer.cpp @@ kPagePauseMs = 20; @@ kPagePauseMs = 12;
no-end-marker @@ update/Transfer.cpp @@ m_serialPort.SendPacket(kEndMarker, sizeof kEndMarker); @@ m_serialPort.SendPacket(kEndMarker, 1);
accepted-version @@ update/TransferTexts.h @@ {"FG-DMM-2.31", "FG-DMM-2.32"} @@ {"FG-DMM-2.31", "FG-DMM-2.33"}
failure-without-closing-command @@ update/Report.cpp @@ void CFWUT_UpdateDlg::ReportTransferFailure(UpdateOutcome kind)\n{\n    CloseSerialLink(); @@ void CFWUT_UpdateDlg::ReportTransferFailure(UpdateOutcome kind)\n{\n    m_serialPort.Close();\n    EnableInstalledPortButtons();
image-kept @@ update/Transfer.cpp @@ TransferFirmware();\n    DeleteTempImage(); @@ TransferFirmware();
port-saved-on-failure @@ update/Report.cpp @@ void CFWUT_UpdateDlg::ReportTransferFailure(UpdateOutcome kind)\n{ @@ void CFWUT_UpdateDlg::ReportTransferFailure(UpdateOutcome kind)\n{\n    m_env.settings.WriteProfileInt("Settings", "ComPort", m_serialPort.GetPortNumber());
message-blank-missing @@ update/TransferTexts.h @@ "Invalid version response from the " + std::string(kProductName) + ".     "; @@ "Invalid version response from the " + std::string(kProductName) + ".    ";
hex-segment-record-invalid @@ update/HexImage.cpp @@ case kTypeExtendedSegment:\n @@ case 0x04:\n
hex-checksum @@ update/HexImage.cpp @@ (256 - sum % 256) % 256 @@ (255 - sum % 256) % 256
hex-line-limit @@ update/HexImage.cpp @@ kLineLimit = 199; @@ kLineLimit = 200;
hex-top-limit @@ update/HexImage.cpp @@ if (address + count > kImageLimit) @@ if (address + count > kImageLimit + 1)
hex-page-growth @@ update/HexImage.cpp @@ while (offset >= image.size()) @@ while (offset > image.size())
port-name-case @@ platform/ComPortName.cpp @@ !StartsWithIgnoringCase(text, "COM") @@ !text.starts_with("COM")
port-slots @@ serial/PortSelection.cpp @@ k < kMaxPortNumber && slot < kPortSlotCount; @@ k < kMaxPortNumber && slot < kPortSlotCount - 1;
preferred-port-order @@ serial/PortSelection.cpp @@ if (m_env.comPortOverride != -1) { @@ if (m_env.comPortOverride != -1 && m_env.settings.GetProfileInt("Settings", "ComPort", -1) == -1) {
lowest-port-fallback @@ serial/PortSelection.cpp @@ if (!checked && m_portSlots[0] != -1) { @@ if (!checked && m_portSlots[1] != -1) {
progress-text @@ update/TransferTexts.h @@ "Sending firmware page  " @@ "Sending firmware page "
repaint-pace @@ update/Transfer.cpp @@ pageIndex % 4 == 0 @@ pageIndex % 5 == 0
blink-period @@ update/UpdateStart.cpp @@ kPromptShownMs = 1500; @@ kPromptShownMs = 1000;
cancel-keeps-borrowed-port @@ update/UpdateStart.cpp @@ EnableInstalledPortButtons();\n    ReturnPortToCompanion();\n    EnableIdleControls(true); @@ EnableInstalledPortButtons();\n    EnableIdleControls(true);
release-sleep-always @@ serial/PortHandoff.cpp @@ if (m_handedOffPort != -1) {\n        // Gives @@ {\n        // Gives
image-not-held @@ update/FirmwareFileOps.cpp @@ TellImageConverted();\n        return true; @@ TellImageConverted();\n        m_tempImage.Close();\n        return true;
exit-code-no-ready @@ update/Outcomes.cpp @@ "no ready response", kExitNoReadyResponse, @@ "no ready response", kExitInvalidReadyResponse,
date-hour-zero @@ update/FirmwareDescription.cpp @@ return hour > 12 ? hour - 12 : hour; @@ return hour > 12 ? hour - 12 : (hour == 0 ? 12 : hour);
closing-pause @@ update/RelayCommands.cpp @@ fwut::Delay(m_env.clock, 200); @@ fwut::Delay(m_env.clock, 100);
dcb-cts-flow @@ serial/RS232.cpp @@ m_dcb.fOutxCtsFlow = FALSE; @@ m_dcb.fOutxCtsFlow = TRUE;
close-keeps-dtr @@ serial/RS232.cpp @@ m_api.EscapeCommFunction(m_hPort, CLRDTR);\n    m_api.EscapeCommFunction(m_hPort, CLRRTS); @@ m_api.EscapeCommFunction(m_hPort, CLRRTS);
rate-change-keeps-input @@ serial/RS232.cpp @@ m_api.SetCommState(m_hPort, &m_dcb);\n    return PurgeInput(); @@ m_api.SetCommState(m_hPort, &m_dcb);\n    return TRUE;
write-after-failure @@ serial/RS232.cpp @@ if (!m_isOpen || length < 0 || m_writeFailed) { @@ if (!m_isOpen || length < 0) {
hidden-companion-asked @@ serial/PortHandoff.cpp @@ if (!windows.IsWindowVisible(window)) { @@ if (false) {
handoff-release-code @@ ui/FWUT_UpdateDlg.h @@ HANDOFF_RELEASE_PORT = 1001; @@ HANDOFF_RELEASE_PORT = 1003;
description-line-cap @@ update/FirmwareDescription.cpp @@ kMaxLineLength = 4096; @@ kMaxLineLength = 4095;
exit-code-interrupted @@ update/Outcomes.cpp @@ "interrupted", kExitInterrupted, @@ "interrupted", kExitCancelled,
idle-menu-kept-grey @@ ui/FWUT_UpdateDlg.cpp @@ menu->EnableSystemMenuItem(SC_CLOSE, enable); @@ menu->EnableSystemMenuItem(SC_CLOSE, false);
lost-line-ignored @@ update/UpdateStart.cpp @@ if (m_moduleAnswered == 0 && m_serialPort.IsLineLost()) { @@ if (false && m_serialPort.IsLineLost()) {
stale-byte-answers-page @@ update/Transfer.cpp @@ m_serialPort.PurgeInput();\n    const std::uint8_t header @@ const std::uint8_t header
stop-cuts-pauses @@ ui/FWUT_UpdateDlg.cpp @@ fwut::Delay(m_env.clock, ms); @@ for (DWORD i = 0; i < ms && !Interrupted(); ++i) fwut::Delay(m_env.clock, 1);
old-hex-sent @@ update/Transfer.cpp @@ : !HexFileUnchangedSinceConversion() ? @@ : false ?
stop-fails-drain @@ platform/posix/PosixSerialApi.cpp @@ return console::StopRequested() && idleMs >= kStalledAfterStopMs ? ECANCELED : 0; @@ return console::StopRequested() ? ECANCELED : 0;
line-left-raw @@ platform/posix/PosixSerialApi.cpp @@ ::tcsetattr(fd, TCSANOW, &original->second); @@ (void)original;
port-number-octal @@ app/cli/main.cpp @@ value.erase(0, std::min(value.find_first_not_of('0'), value.size() - 1)); @@ value.erase(0, 0);
other-byte-as-rejection @@ update/Transfer.cpp @@ answer == kRejected && ++rejections @@ answer != kAccepted && ++rejections
ready-skips-line-feed @@ update/Transfer.cpp @@ if (byte != kAccepted) { @@ if (byte != kAccepted && byte != 0x0A) {
version-ends-at-line-feed @@ update/Transfer.cpp @@ if (byte == '\r') { @@ if (byte == '\r' || byte == 0x0A) {
image-may-be-hex-file @@ update/HexImage.cpp @@ if (files::SameFile(hexPath, imagePath)) @@ if (false)
tmp-squat-taken @@ platform/posix/files.cpp @@ if (IsPrivateFolder(own))\n        return own + '/'; @@ return own + '/';
settings-read-only-ignored @@ platform/posix/UserFiles.cpp @@ if ((st.st_mode & S_IWUSR) == 0) { @@ if (false) {
settings-comment-dropped @@ platform/posix/IniText.cpp @@ entry + std::string(comment) + @@ entry +
settings-folder-in-others @@ platform/posix/HoldingFolder.cpp @@ if (::fstat(folder, &parent) != 0 || parent.st_uid != ::geteuid()) { @@ if (::fstat(folder, &parent) != 0) {
convert-stop-ignored @@ app/cli/FileCommands.cpp @@ if (written && console::StopRequested()) { @@ if (false) {
convert-writes-through-devices @@ platform/posix/HoldingFolder.cpp @@ if (!S_ISREG(file.st_mode)) { @@ if (false) {
record-appends-to-others @@ platform/posix/UserFiles.cpp @@ } else if (problem = posix::OwnFileProblem(st); problem.empty() && @@ } else if (problem.clear(); problem.empty() &&
no-purge-before-request @@ update/Transfer.cpp @@ Delay(100);\n    m_serialPort.PurgeInput(); @@ Delay(100);
temp-message-blank-lost @@ update/FirmwareTexts.h @@ "Unable to create the temporary firmware file.               " @@ "Unable to create the temporary firmware file.              "
standard-output-left-closed @@ platform/posix/ProgramStart.cpp @@ if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) { @@ if (true) {
pause-obeyed @@ platform/posix/PosixSerialApi.cpp @@ console::HoldTerminalStops(true);\n @@ \n
quit-not-a-stop @@ platform/posix/ConsoleSignals.cpp @@ {SIGINT, SIGQUIT, SIGTERM, SIGHUP} @@ {SIGINT, SIGTERM, SIGHUP}
record-in-others-folder @@ platform/posix/UserFiles.cpp @@ if (rules.inOwnFolderOnly && !folder.IsOwn()) {\n            problem @@ if (false) {\n            problem
link-followed-in-path @@ platform/posix/HoldingFolder.cpp @@ !OwnedByUserOrRoot(st) || !IsFolderSafe(holder) @@ !OwnedByUserOrRoot(st)
record-fragment-kept @@ platform/posix/UserFiles.cpp @@ if (::ftruncate(fd, st.st_size) != 0) { @@ if (false) {
record-glued-to-fragment @@ platform/posix/UserFiles.cpp @@ ::pread(fd, &last, 1, st.st_size - 1) == 1 && @@ false &&
answer-after-stop-dropped @@ update/Transfer.cpp @@ UpdateOutcome::PageNotAccepted, true}; @@ UpdateOutcome::PageNotAccepted, false};
history-takes-trailing-bytes @@ app/cli/HistoryCommand.cpp @@ if (line.find('\0') != std::string_view::npos || @@ if (
history-nests-unbounded @@ app/cli/HistoryCommand.cpp @@ || NestsDeeperThan(line, kMaxDepth)) { @@ ) {
end-marker-unchecked @@ update/Transfer.cpp @@ if (m_serialPort.IsLineLost()) {\n        failure = UpdateOutcome::NoResponse; @@ if (false) {\n        failure = UpdateOutcome::NoResponse;
history-drops-output @@ app/cli/main.cpp @@ } else if (exitCode == kExitSuccess) { @@ } else if (false) {
message-before-outcome @@ app/cli/JsonOutput.cpp @@ if (m_outcomeWritten) {\n        WriteHeldMessages(); @@ if (true) {\n        WriteHeldMessages();
holder-by-lock-taker @@ platform/posix/PortHolder.cpp @@ if (opener.holdsLock) { @@ if (true) {
quoted-value-cut @@ platform/posix/IniText.cpp @@ const std::size_t comment = CommentStart(line, closing); @@ const std::size_t comment = CommentStart(line, valueStart);
unquoted-path-cut-taken @@ platform/posix/IniText.cpp @@ if (entry.cutAtComment) { @@ if (false) {
same-hex-refused @@ update/FirmwareFileOps.cpp @@ if (HexFileConvertsToHeldImage()) { @@ if (false) {
stop-skips-config-clearing @@ update/RelayCommands.cpp @@ Delay(1000);\n    m_serialPort.ClearAndWait(10);\n    if (Interrupted()) {\n        return;\n    } @@ Delay(1000);\n    if (Interrupted()) {\n        return;\n    }\n    m_serialPort.ClearAndWait(10);
held-port-waited-for @@ serial/RS232.cpp @@ !m_api.IsHeldByAnotherProcess(deviceName); @@ true;
unlooked-process-ignored @@ platform/HandleTableSearch.cpp @@ closed.insert(handle.processId);\n            unlooked = true; @@ closed.insert(handle.processId);
hung-query-ends-search @@ platform/HandleTableSearch.cpp @@ case HandleLook::Kind::NoAnswer:\n            unlooked = true;\n            break; @@ case HandleLook::Kind::NoAnswer:\n            unlooked = true;\n            unfound = 0;\n            break;
EOF

only=""
tests=()
list=0
verify=0
while (($#)); do
    case $1 in
        --only) only=$2; shift 2 ;;
        --tests) tests=(-R "$2"); shift 2 ;;
        --list) list=1; shift ;;
        --verify) verify=1; shift ;;
        *) echo "usage: scripts/mutation-check.sh [--only NAME] [--tests REGEX] [--list] [--verify]" >&2; exit 2 ;;
    esac
done

# Applies fault NAME (exactly one occurrence of its text must be there).
apply() {
    python3 - "$@" <<'PY'
import sys
name, path, old, new = (part.strip().replace('\\n', '\n') for part in sys.argv[1:5])
text = open(path).read()
count = text.count(old)
if count != 1:
    sys.exit(f"{name}: its text is found {count} times in {path}")
open(path, 'w').write(text.replace(old, new))
PY
}

backup=$(mktemp -d)
current=""
restore() { [[ -n $current ]] && cp "$backup/file" "$current"; current=""; }
trap 'restore; rm -rf "$backup"' EXIT INT TERM

total=0
killed=0
survivors=()
while IFS= read -r line; do
    [[ -z $line ]] && continue
    IFS="@" read -r name file old new <<<"${line//@@/@}"
    name=${name// /}
    file=${file// /}
    [[ -n $only && $name != "$only" ]] && continue
    if ((list)); then echo "$name  ($file)"; continue; fi
    total=$((total + 1))
    cp "$file" "$backup/file"
    current=$file
    if ! apply "$name" "$file" "$old" "$new"; then
        restore
        echo "SKIPPED $name: the text is not in $file"
        continue
    fi
    if ((verify)); then
        restore
        killed=$((killed + 1))
        continue
    fi
    if ! cmake --build --preset default -j "$(nproc)" >"$backup/build.log" 2>&1; then
        verdict="killed (does not build)"
        killed=$((killed + 1))
    # In the order the tests are declared, fast unit tests first: ctest would
    # otherwise start the slowest first, and most faults show in the fast ones.
    elif rm -f build/default/Testing/Temporary/CTestCostData.txt &&
        ctest --preset default -j "$(nproc)" --stop-on-failure --timeout 120 "${tests[@]}" >"$backup/test.log" 2>&1; then
        verdict="SURVIVED"
        survivors+=("$name")
    else
        verdict="killed by $(grep -m1 -oE '[0-9]+ - [^ ]+' "$backup/test.log" | sed 's/^[0-9]* - //')"
        killed=$((killed + 1))
    fi
    restore
    printf '%-34s %s\n' "$name" "$verdict"
done <<<"$FAULTS"
((list)) && exit 0
if ((verify)); then
    echo "$killed of $total faults apply"
    ((killed == total))
    exit
fi
cmake --build --preset default -j "$(nproc)" >/dev/null 2>&1 || true
echo
echo "killed $killed of $total faults ($((total ? 100 * killed / total : 0)) %)"
if ((${#survivors[@]})); then
    echo "not caught by any test: ${survivors[*]}"
fi

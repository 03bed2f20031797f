// The one place where a descriptor is read to its end or written in full:
// short transfers go on and interrupted ones are retried, so no caller ever
// takes part of a write for all of it.
#pragma once

#include <cstddef>
#include <string>

namespace fwut::posix {

// 0, or the errno that ended the write (EIO when the descriptor took nothing).
// A write that a signal interrupts is retried. With giveUp, a reader that
// takes nothing is waited for only until giveUp says so (EINTR then), even
// when the signal came before the write began.
int WriteFully(int fd, const void* data, std::size_t size, bool (*giveUp)() = nullptr);

// Appends what fd delivers up to its end; 0, or the errno that ended the
// read, or EFBIG once text would grow beyond limit bytes.
int ReadToEnd(int fd, std::string& text, std::size_t limit);

// open() retried while a signal interrupts it; -1 with errno otherwise.
int OpenRetrying(const char* path, int flags, unsigned mode = 0);

}  // namespace fwut::posix

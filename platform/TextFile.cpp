// The part of TextFile that is the same on every system: the Windows C
// runtime's text-mode reading over a stream that each system's Open() makes.
#include <cstdio>

#include "platform/Files.h"

namespace fwut::files {

namespace {

// Ctrl-Z ends a text file, as in the Windows C runtime's text mode.
constexpr int kEndOfFileByte = 0x1A;

std::FILE* AsStream(void* handle)
{
    return static_cast<std::FILE*>(handle);
}

}  // namespace

TextFile::~TextFile()
{
    Close();
}

int TextFile::Next()
{
    const auto raw = [this]() -> int {
        if (m_pushedBack >= 0) {
            const int c = m_pushedBack;
            m_pushedBack = -1;
            return c;
        }
        if (m_atEnd)
            return EOF;
        const int c = std::getc(AsStream(m_handle));
        if (c == EOF || c == kEndOfFileByte) {
            m_atEnd = true;
            return EOF;
        }
        return c;
    };
    const int c = raw();
    if (c != '\r')
        return c;
    const int following = raw();
    if (following == '\n')
        return '\n';
    if (following != EOF)
        m_pushedBack = following;
    return '\r';
}

bool TextFile::ReadLine(std::string& line, std::size_t limit)
{
    line.clear();
    if (m_handle == nullptr)
        return false;
    while (line.size() < limit) {
        const int c = Next();
        if (c == EOF)
            break;
        line += static_cast<char>(c);
        if (c == '\n')
            break;
    }
    return !line.empty();
}

void TextFile::Close()
{
    if (m_handle != nullptr)
        std::fclose(AsStream(m_handle));
    m_handle = nullptr;
    m_pushedBack = -1;
    m_atEnd = false;
}

}  // namespace fwut::files

#include "app/FWUT_UpdateApp.h"

#include "app/CommandLine.h"
#include "platform/Files.h"

namespace fwut {

void CFWUT_UpdateApp::InitFromArguments(const std::vector<std::string>& arguments)
{
    m_programDir = files::ProgramFolder();
    m_tempDir = files::TemporaryFolder();
    CCommandLine commandLine(m_comPortOverride);
    commandLine.ParseArguments(arguments);
}

void CFWUT_UpdateApp::InitFromCommandLine(const std::string& commandLine, const std::string& tempFolder)
{
    m_programDir = FolderOfPath(ProgramPathFromCommandLine(commandLine), '\\');
    m_tempDir = tempFolder;
    CCommandLine parser(m_comPortOverride);
    parser.ParseArguments(SplitCommandLine(commandLine));
}

}  // namespace fwut

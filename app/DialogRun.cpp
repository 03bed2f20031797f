#include "app/DialogRun.h"

namespace fwut {

namespace {

std::unique_ptr<UpdateRecordWriter> MakeRecord(PlatformServices& services, const DialogRun::Parts& parts)
{
    if (parts.recordPath.empty()) {
        return RecordFromSettings(services.Settings(), parts.program, services.InstalledPorts(),
                                  services.Descriptions());
    }
    return std::make_unique<UpdateRecordWriter>(parts.recordPath, parts.program, services.InstalledPorts(),
                                                services.Descriptions());
}

EventFanOut ReadersOf(const DialogRun::Parts& parts, UpdateRecordWriter* record)
{
    EventFanOut readers;
    for (UpdateEventSink* reader : parts.readers) {
        readers.Add(*reader);
    }
    if (record != nullptr) {
        readers.Add(*record);
    }
    return readers;
}

}  // namespace

UpdateEnvironment DialogRun::Environment(PlatformServices& services, const CFWUT_UpdateApp& app, const Parts& parts,
                                         UpdateEventSink& readers)
{
    return UpdateEnvironment{services.Serial(),
                             services.Clock(),
                             parts.shownPorts != nullptr ? *parts.shownPorts : services.InstalledPorts(),
                             parts.settings != nullptr ? *parts.settings : services.Settings(),
                             services.Windows(),
                             app.m_comPortOverride,
                             parts.applicationName,
                             &readers};
}

DialogRun::DialogRun(DialogWindow& window, PlatformServices& services, const CFWUT_UpdateApp& app, Parts parts)
    : m_record(MakeRecord(services, parts)), m_readers(ReadersOf(parts, m_record.get())),
      m_dialog(window, Environment(services, app, parts, m_readers))
{
    m_dialog.m_programDir = app.m_programDir;
    m_dialog.m_tempDir = app.m_tempDir;
    window.Attach(m_dialog);
}

}  // namespace fwut

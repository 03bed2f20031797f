// How every front end runs the main dialog: the dialog in the front end's
// window, with the folders and the /C switch that the program's start-up
// worked out, the system's services, and the readers of each update's
// account (the front end's own, then the update record). The window, the
// Qt or Win32 one or the console, only shows it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/EventFanOut.h"
#include "app/FWUT_UpdateApp.h"
#include "app/UpdateRecord.h"
#include "platform/PlatformServices.h"
#include "ui/FWUT_UpdateDlg.h"

namespace fwut {

class DialogRun {
public:
    struct Parts {
        Parts(std::string programName, std::string application)
            : program(std::move(programName)), applicationName(std::move(application))
        {
        }

        std::string program;  // "fwut-update" or "fwut-cli", as the record names it
        std::string applicationName;  // the settings store's name, caption of the no-port message
        SerialCommKey* shownPorts = nullptr;  // the ports the window offers; every installed one when null
        SettingsStore* settings = nullptr;  // the store the dialog uses; the services' when null
        std::vector<UpdateEventSink*> readers;  // told each event, before the record
        std::string recordPath;  // empty: the setting RecordFile, if any
    };

    DialogRun(DialogWindow& window, PlatformServices& services, const CFWUT_UpdateApp& app, Parts parts);
    DialogRun(const DialogRun&) = delete;
    DialogRun& operator=(const DialogRun&) = delete;

    CFWUT_UpdateDlg& Dialog() { return m_dialog; }
    // Every reader of the account, for an update that a front end ends
    // before the dialog could begin it.
    UpdateEventSink& Readers() { return m_readers; }
    // The record, or null when none is kept.
    UpdateRecordWriter* Record() { return m_record.get(); }

private:
    static UpdateEnvironment Environment(PlatformServices& services, const CFWUT_UpdateApp& app, const Parts& parts,
                                         UpdateEventSink& readers);

    std::unique_ptr<UpdateRecordWriter> m_record;
    EventFanOut m_readers;
    CFWUT_UpdateDlg m_dialog;
};

}  // namespace fwut

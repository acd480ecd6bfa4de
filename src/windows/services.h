#pragma once

#include "dialogs/helpviewer.h"
#include "dialogs/messagebox.h"
#include "platform/appfolder.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/notifications.h"
#include "platform/systemdate.h"

namespace quill {

/// What the windows take from the system, handed to them at creation. Tests hand in a fixed
/// clock, a recording message-box layer and doubles for the help, the desktop's notifications
/// and the autostart entry.
struct Services {
    Clock &clock;
    MessageBoxes &boxes;
    HelpViewer &help;
    AppFolder folder;
    SystemDateNames dateNames;
    Notifier &notifier;
    Autostart &autostart;
    /// Where the settings and the snoozes are kept; empty: the XDG config and state folders.
    QString configHome = {};
    QString stateHome = {};
};

} // namespace quill

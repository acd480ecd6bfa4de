#pragma once

#include "dialogs/helpviewer.h"
#include "dialogs/messagebox.h"
#include "platform/appfolder.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/keyring.h"
#include "platform/notifications.h"
#include "platform/systemdate.h"

namespace quill {

/// What the windows take from the system, handed to them at creation. Tests hand in a fixed
/// clock, a recording message-box layer and doubles for the help, the desktop's notifications,
/// the autostart entry and the keyring.
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
    /// Where the calendar account's password is kept; none: no keyring (a command prints it).
    Keyring *keyring = nullptr;
};

} // namespace quill

#pragma once

#include "platform/appfolder.h"
#include "platform/clock.h"
#include "platform/helpviewer.h"
#include "platform/messagebox.h"
#include "platform/systemdate.h"

namespace quill {

/// What the windows take from the system, handed to them at creation. Tests hand in a fixed
/// clock, a recording message-box layer and a help double.
struct Services {
    Clock &clock;
    MessageBoxes &boxes;
    HelpViewer &help;
    AppFolder folder;
    SystemDateNames dateNames;
};

} // namespace quill

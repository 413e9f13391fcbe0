#include "Commands.h"

using namespace Qt::Literals::StringLiterals;

bool isCommandEnabled(int command, const AppState &state, const CommandContext &context)
{
    switch (command) {
    case Command::Settings: return isGranted(state.rights.constant);
    case Command::Classes: return isGranted(state.rights.classes);
    case Command::Search: return isGranted(state.rights.fileser);
    case Command::Users: return isGranted(state.rights.filesBask);
    case Command::Workflow: return state.workflowUser;
    case Command::SaveWebPage: return context.webPageViewActive;
    case Command::Paste: return context.clipboardHasImage;
    case Command::DeleteFile:
    case Command::EnterText:
    case Command::DeleteText: return state.cardEntry;
    case Command::PrintArchived:
    case Command::PrintSelected:
    case Command::PrintReport:
    case Command::Print:
    case Command::PrintPreview: return isGranted(state.rights.printjob);
    default: return true;
    }
}

QString webAddressForPath(const QString &path)
{
    const qsizetype at = path.indexOf(u"www."_s);
    if (at > 0)
        return u"http://"_s + path.mid(at);
    return path;
}

QString clipboardImageCaption(int number)
{
    return u"Clipboard Image %1"_s.arg(number);
}

QString capturedImageCaption(int number)
{
    return u"Captured Image %1"_s.arg(number);
}

QString acquiredImageCaption(int number)
{
    return u"Acquired Image %1"_s.arg(number);
}

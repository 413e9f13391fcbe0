#include "Commands.h"

using namespace Qt::Literals::StringLiterals;

bool isLaterCommand(int command)
{
    if (command >= Command::RecentFirst && command <= Command::RecentLast)
        return true;
    switch (command) {
    case Command::Users:
    case Command::Workflow:
    case Command::FileOpen:
    case Command::SelectSource:
    case Command::Acquire:
    case Command::EnterText:
    case Command::CloseAllImages:
    case Command::Duplicate:
    case Command::ZoomIn:
    case Command::NormalSize:
    case Command::ZoomOut:
    case Command::ToolMove:
    case Command::ToolSelect:
    case Command::ToolTracker:
    case Command::ToolZoom:
    case Command::ToolText: return true;
    default: return false;
    }
}

bool isCommandEnabled(int command, const AppState &state, const CommandContext &context)
{
    if (isLaterCommand(command))
        return false;
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
    case Command::Print: return isGranted(state.rights.printjob);
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

#pragma once

#include "AppState.h"

// Command ids of the main window, its toolbars, menus and context menus.
namespace Command {
enum Id : int {
    // Archive toolbar.
    Settings = 32927,
    OpenWebPage = 32934,
    SaveWebPage = 32935,
    FindFiles = 32936,
    Classes = 32920,
    CardDialog = 32921,
    Search = 32933,
    Users = 32948,
    TextEditor = 32926,
    ReceivedFiles = 32954,
    Workflow = 32962,
    // Main frame.
    ToggleBaskets = 32949,
    Capture = 32789,
    SelectSource = 32824,
    Acquire = 32825,
    Paste = 57637,
    MenuStyleDefault = 32846,
    MenuStyleFlat = 32847,
    FullScreen = 32872,
    Histogram = 32876,
    ToolbarToggle = 59392,
    StatusBarToggle = 59393,
    FileNew = 57600,
    FileOpen = 57601,
    FileSave = 57603,
    FileSaveAs = 57604,
    PrintSetup = 57606,
    Print = 57607,
    PrintPreview = 57609,
    RecentFirst = 57616,
    RecentLast = 57631,
    Exit = 57665,
    WindowNew = 57648,
    WindowArrange = 57649,
    WindowCascade = 57650,
    WindowTileHorz = 57651,
    WindowTileVert = 57652,
    CloseAllImages = 32791,
    Duplicate = 32776,
    About = 57664,
    Copy = 57634,
    Cut = 57635,
    Undo = 57643,
    Redo = 57644,
    ZoomIn = 32786,
    NormalSize = 32788,
    ZoomOut = 32787,
    // The image views' tools on the image toolbar.
    ToolMove = 32869,
    ToolSelect = 32871,
    ToolTracker = 32916,
    ToolZoom = 32874,
    ToolText = 32886,
    NextPane = 57680,
    PreviousPane = 57681,
    // Card dialog context menus, passed on to the card dialog.
    ViewFile = 32928,
    DeleteFile = 32929,
    EnterText = 32964,
    ViewText = 32937,
    DeleteText = 32938,
    EditText = 32939,
    // Printing in the views.
    PrintArchived = 32931,
    PrintSelected = 32940,
    PrintReport = 32941,
};
} // namespace Command

// What the enable rules need to know beyond the application state.
struct CommandContext
{
    bool clipboardHasImage = false;
    bool webPageViewActive = false;
};

// Whether the command is enabled for the logged-in user: rights hold exactly 7 to grant, the
// card dialog's delete command needs the card entry flag, paste needs a picture on the
// clipboard.
bool isCommandEnabled(int command, const AppState &state, const CommandContext &context);

// The web address for a chosen file: a path holding "www." after its first character opens as
// "http://" and the rest of the path from "www." on; any other path opens as the file itself.
QString webAddressForPath(const QString &path);

QString clipboardImageCaption(int number); // "Clipboard Image %d"
QString capturedImageCaption(int number);  // "Captured Image %d"
QString acquiredImageCaption(int number);  // "Acquired Image %d"

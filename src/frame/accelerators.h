// The application's accelerator table: one place for the keys of every command.
#pragma once

#include <QKeySequence>
#include <QList>

// Command identifiers, numbered as the menus and the toolbar know them.
enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_FILE_SAVE_ALL = 57610,
    ID_FILE_MRU_FILE1 = 57616,
    ID_EDIT_CLEAR = 57632,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_FIND = 57636,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_REPEAT = 57640,
    ID_EDIT_REPLACE = 57641,
    ID_EDIT_SELECT_ALL = 57642,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_PREFERENCES = 57666,
    ID_FILE_EXPORT_HTML = 57667,
    ID_NEXT_DOCUMENT = 57668,
    ID_PREV_DOCUMENT = 57669,
    ID_CANCEL_KEY = 32768,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_OBJECT_PROPERTIES = 57860,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_VIEW_CHECK_SCRIPTS = 57700,
    ID_EDIT_GOTO_LINE = 58000,
    ID_VIEW_LINE_NUMBERS = 58001,
    ID_VIEW_CURRENT_LINE = 58002,
    ID_EDIT_TOGGLE_COMMENT = 58003,
    ID_EDIT_INDENT_LINES = 58004,
    ID_EDIT_UNINDENT_LINES = 58005,
    ID_EDIT_MATCH_BRACKET = 58006,
    ID_VIEW_FOLD_ALL = 58007,
    ID_VIEW_UNFOLD_ALL = 58008,
    ID_VIEW_ZOOM_IN = 58009,
    ID_VIEW_ZOOM_OUT = 58010,
    ID_VIEW_ZOOM_RESET = 58011,
    ID_VIEW_WHITESPACE = 58012,
    ID_VIEW_LINE_ENDINGS = 58013,
    ID_VIEW_WORD_WRAP = 58014,
    ID_VIEW_RESULTS_PANE = 57720,
    ID_EDIT_NEXT_RESULT = 57721,
    ID_EDIT_PREV_RESULT = 57722,
    ID_EDIT_FIND_IN_FILES = 57723,
    ID_RUN_SCRIPT = 57724,
    ID_RUN_STOP = 57725,
    ID_RUN_SET_COMMAND = 57726,
    ID_VIEW_OUTLINE = 57727,
    ID_HELP_REFERENCE = 57740,
    ID_EDIT_COMPLETE_NAME = 57750,
    ID_EDIT_GOTO_DEFINITION = 57751,
    ID_EDIT_FIND_REFERENCES = 57752,
    ID_EDIT_RENAME_SYMBOL = 57753,
};

struct Accelerator {
    QKeySequence keys;
    CommandId command;
};

// Every accelerator, whether or not a document is open.
const QList<Accelerator> &ApplicationAccelerators();
QList<QKeySequence> KeysOf(CommandId command);
bool IsApplicationAccelerator(const QKeySequence &keys);

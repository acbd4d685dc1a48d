#include "accelerators.h"

const QList<Accelerator> &ApplicationAccelerators()
{
    static const QList<Accelerator> table = {
        {QKeySequence(Qt::CTRL | Qt::Key_A), ID_EDIT_SELECT_ALL},
        {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY},
        {QKeySequence(Qt::CTRL | Qt::Key_F), ID_EDIT_FIND},
        {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT},
        {QKeySequence(Qt::CTRL | Qt::Key_R), ID_EDIT_REPLACE},
        {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_EDIT_PASTE},
        {QKeySequence(Qt::ALT | Qt::Key_Backspace), ID_EDIT_UNDO},
        {QKeySequence(Qt::SHIFT | Qt::Key_Delete), ID_EDIT_CUT},
        {QKeySequence(Qt::Key_Escape), ID_CANCEL_KEY},
        {QKeySequence(Qt::Key_F3), ID_EDIT_REPEAT},
        {QKeySequence(Qt::Key_F1), ID_HELP_REFERENCE},
        {QKeySequence(Qt::CTRL | Qt::Key_F4), ID_FILE_CLOSE},
        {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
        {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY},
        {QKeySequence(Qt::SHIFT | Qt::Key_Insert), ID_EDIT_PASTE},
        {QKeySequence(Qt::ALT | Qt::Key_Return), ID_OBJECT_PROPERTIES},
        {QKeySequence(Qt::CTRL | Qt::Key_X), ID_EDIT_CUT},
        {QKeySequence(Qt::CTRL | Qt::Key_Y), ID_EDIT_REDO},
        {QKeySequence(Qt::CTRL | Qt::Key_Z), ID_EDIT_UNDO},
        // Switch documents in the order of their tabs.
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), ID_NEXT_DOCUMENT},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), ID_PREV_DOCUMENT},
        {QKeySequence(Qt::CTRL | Qt::Key_Backtab), ID_PREV_DOCUMENT},
        {QKeySequence(Qt::CTRL | Qt::Key_G), ID_EDIT_GOTO_LINE},
        {QKeySequence(Qt::CTRL | Qt::Key_Slash), ID_EDIT_TOGGLE_COMMENT},
        {QKeySequence(Qt::CTRL | Qt::Key_I), ID_EDIT_INDENT_LINES},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), ID_EDIT_UNINDENT_LINES},
        {QKeySequence(Qt::CTRL | Qt::Key_B), ID_EDIT_MATCH_BRACKET},
        {QKeySequence(Qt::ALT | Qt::Key_0), ID_VIEW_FOLD_ALL},
        {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_0), ID_VIEW_UNFOLD_ALL},
        // Ctrl++ is Ctrl+Shift+= on most keyboards, and Ctrl+= is what is meant without Shift.
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), ID_VIEW_ZOOM_IN},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Plus), ID_VIEW_ZOOM_IN},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), ID_VIEW_ZOOM_IN},
        {QKeySequence(Qt::CTRL | Qt::Key_Minus), ID_VIEW_ZOOM_OUT},
        {QKeySequence(Qt::CTRL | Qt::Key_0), ID_VIEW_ZOOM_RESET},
        // The results pane, Run and the outline.
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M), ID_VIEW_RESULTS_PANE},
        {QKeySequence(Qt::Key_F8), ID_EDIT_NEXT_RESULT},
        {QKeySequence(Qt::SHIFT | Qt::Key_F8), ID_EDIT_PREV_RESULT},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), ID_EDIT_FIND_IN_FILES},
        {QKeySequence(Qt::Key_F5), ID_RUN_SCRIPT},
        {QKeySequence(Qt::SHIFT | Qt::Key_F5), ID_RUN_STOP},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), ID_VIEW_OUTLINE},
        // The script's names.
        {QKeySequence(Qt::CTRL | Qt::Key_J), ID_EDIT_COMPLETE_NAME},
        {QKeySequence(Qt::Key_F12), ID_EDIT_GOTO_DEFINITION},
        {QKeySequence(Qt::SHIFT | Qt::Key_F12), ID_EDIT_FIND_REFERENCES},
        {QKeySequence(Qt::Key_F2), ID_EDIT_RENAME_SYMBOL},
    };
    return table;
}

QList<QKeySequence> KeysOf(CommandId command)
{
    QList<QKeySequence> keys;
    for (const Accelerator &accelerator : ApplicationAccelerators())
        if (accelerator.command == command)
            keys.append(accelerator.keys);
    return keys;
}

bool IsApplicationAccelerator(const QKeySequence &keys)
{
    for (const Accelerator &accelerator : ApplicationAccelerators())
        if (accelerator.keys == keys)
            return true;
    return false;
}

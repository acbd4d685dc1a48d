#include "editshift.h"

void EditShift::Insert(std::int64_t position, std::int64_t length)
{
    if (length > 0)
        m_edits.push_back({position, length});
}

void EditShift::Delete(std::int64_t position, std::int64_t length)
{
    if (length > 0)
        m_edits.push_back({position, -length});
}

std::int64_t EditShift::ToOld(std::int64_t now) const
{
    for (auto edit = m_edits.rbegin(); edit != m_edits.rend(); ++edit) {
        if (edit->length > 0) {
            if (now >= edit->position + edit->length)
                now -= edit->length;
            else if (now > edit->position)
                now = edit->position;
        } else if (now >= edit->position) {
            now -= edit->length;
        }
    }
    return now;
}

std::int64_t EditShift::ToNew(std::int64_t old) const
{
    for (const Edit &edit : m_edits) {
        if (edit.length > 0) {
            if (old >= edit.position)
                old += edit.length;
        } else if (old >= edit.position - edit.length) {
            old += edit.length;
        } else if (old >= edit.position) {
            return -1;
        }
    }
    return old;
}

std::int64_t EditShift::RangeToNew(std::int64_t start, std::int64_t length) const
{
    for (const Edit &edit : m_edits) {
        const std::int64_t end = start + length;
        if (edit.length > 0) {
            if (edit.position > start && edit.position < end)
                return -1;
            if (edit.position <= start)
                start += edit.length;
        } else {
            const std::int64_t deletedEnd = edit.position - edit.length;
            if (edit.position < end && deletedEnd > start)
                return -1;
            if (deletedEnd <= start)
                start += edit.length;
        }
    }
    return start;
}

#pragma once
// List helpers that keep the old list-box behaviour the Setup screen relies on: filling a list
// selects nothing and runs no handler; selecting an entry from code runs the selection handler
// exactly as the operator's choice does (when the selection really changes).
#include <QComboBox>
#include <QSignalBlocker>
#include <QStringList>

namespace widgets {

inline void fillList(QComboBox* box, const QStringList& entries) {
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItems(entries);
    box->setCurrentIndex(-1);
}

inline QStringList entries(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

inline void clearList(QComboBox* box) {
    fillList(box, {});
}

// Selects `position` (-1 for nothing); runs the handler when the selection changes.
inline void selectEntry(QComboBox* box, int position) {
    box->setCurrentIndex(position >= 0 && position < box->count() ? position : -1);
}

} // namespace widgets

#pragma once
// The log viewer: lists a session log's run entries and reopens a logged run for review.
#include <QWidget>

class Screens;

class LogView : public QWidget {
    Q_OBJECT
public:
    // A top-level window owned by `owner` (it stays above it); loads the day's log.
    LogView(Screens& screens, QWidget* owner);
    ~LogView() override;

private:
    Screens& m_screens;
};

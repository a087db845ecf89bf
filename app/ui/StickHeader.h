#pragma once

#include <QWidget>

class QLabel;
class StickModel;

// The top of the window: the stick tile, the stick's name (or the application's) with the status
// line under it, and the status dot coloured by the step.
class StickHeader : public QWidget {
    Q_OBJECT

public:
    explicit StickHeader(StickModel& model, QWidget* parent = nullptr);

    QString title() const;
    QString statusLine() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refresh();
    void fitStatus();

    StickModel& m_model;
    QLabel* m_title;
    QLabel* m_status;
    QLabel* m_dot;
};

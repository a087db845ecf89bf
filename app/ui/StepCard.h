#pragma once

#include "app/core/QueuedDesign.h"
#include "app/core/Step.h"

#include <QFrame>
#include <QPointer>

class QLabel;
class QProgressBar;
class QVBoxLayout;
class StickModel;

// The card of the current step: what is happening, in the window's own words, and the buttons
// that answer it. Its content is built anew when the step (or what the step shows) changes;
// progress of a running send only moves the bar.
class StepCard : public QFrame {
    Q_OBJECT

public:
    explicit StepCard(StickModel& model, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void build(QVBoxLayout* box);
    void buildSearching(QVBoxLayout* box);
    void buildConnecting(QVBoxLayout* box, const Step::Connecting& connecting);
    void buildConfirm(QVBoxLayout* box);
    void buildReady(QVBoxLayout* box);
    void buildSending(QVBoxLayout* box, const Step::Sending& sending);
    void buildDone(QVBoxLayout* box, const Step::Done& done);
    void buildFailed(QVBoxLayout* box, const Step::Failed& failed);
    void buildPairing(QVBoxLayout* box);
    // With removable, each row offers to take its file out of the queue.
    void addDesigns(QVBoxLayout* box, const QList<QueuedDesign>& designs, bool removable);
    void showFraction(double fraction);

    StickModel& m_model;
    Step m_shown;
    QPointer<QWidget> m_content;
    QPointer<QProgressBar> m_bar;
    QPointer<QLabel> m_percent;
};

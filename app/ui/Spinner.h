#pragma once

#include <QTimer>
#include <QWidget>

// The small turning wheel of a step that is waiting for something: it spins only while shown.
class Spinner : public QWidget {
public:
    explicit Spinner(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {18, 18}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_timer;
    int m_angle = 0;
};

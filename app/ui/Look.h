#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The window's few text styles and colours in one place, so that every card speaks alike: a
// secondary colour for quiet text, the callout, caption and title sizes, and link-styled buttons.
class Look {
public:
    static QColor accent();
    // The text colour of quiet lines, derived from the widget's palette so both themes work.
    static QColor secondary(const QWidget* widget);

    // A word-wrapped label, selectable by mouse so a person can copy a message.
    static QLabel* label(const QString& text, QWidget* parent = nullptr);
    static void makeSecondary(QWidget* widget);
    static void makeCallout(QWidget* widget);
    static void makeCaption(QWidget* widget);
    static void makeTitle(QWidget* widget);
    static void makeLink(QPushButton* button);
    // A design's picture shown side pixels square, framed, sharp on screens of twice the density.
    static QPixmap picture(const QImage& image, int side);
};

#pragma once

#include "SendKit/files/StickDesign.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QVBoxLayout;
class StickModel;

// "On the stick": the designs on the connected stick with a search field, a reload button and a
// delete request per design. Shown only while a stick is connected and at rest.
class FilesSection : public QWidget {
    Q_OBJECT

public:
    explicit FilesSection(StickModel& model, QWidget* parent = nullptr);

    QLineEdit* searchField() const { return m_search; }
    // The names of the designs listed now, in order.
    QStringList shownDesigns() const;
    // The text shown in place of the list, or empty while designs are listed.
    QString emptyText() const;

signals:
    void deleteRequested(const StickDesign& design);

private:
    void refreshVisibility();
    void rebuild();

    StickModel& m_model;
    QLineEdit* m_search;
    QLabel* m_empty;
    QWidget* m_rows = nullptr;
    QVBoxLayout* m_layout;
};

#pragma once

#include "SendKit/files/StickDesign.h"

#include <QWidget>

// One design on the stick: its symbol, name, a tag per file, total size and age, and the ways to
// delete it (the trash button and the context menu). It only asks; the window confirms.
class DesignRow : public QWidget {
    Q_OBJECT

public:
    DesignRow(StickDesign design, QWidget* parent = nullptr);

    const StickDesign& design() const { return m_design; }
    // The line under the name: tags, size and age, as shown.
    QString detail() const;

signals:
    void deleteRequested(const StickDesign& design);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    StickDesign m_design;
    QString m_detail;
};

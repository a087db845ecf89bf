#pragma once

#include "SendKit/files/StickDesign.h"

#include <QImage>
#include <QWidget>

// One design on the stick: its symbol (or the picture kept when this computer sent it), name, a tag
// per file, total size and age, and the ways to delete it (the trash button and the context menu).
// It only asks; the window confirms.
class DesignRow : public QWidget {
    Q_OBJECT

public:
    // A null thumbnail shows the design's symbol.
    DesignRow(StickDesign design, const QImage& thumbnail = {}, QWidget* parent = nullptr);

    bool showsThumbnail() const { return m_showsThumbnail; }

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
    bool m_showsThumbnail = false;
};

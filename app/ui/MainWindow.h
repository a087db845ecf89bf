#pragma once

#include "SendKit/files/StickDesign.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>

class QAction;
class FilesSection;
class StepCard;
class StickHeader;
class StickModel;
class WindowFooter;

// The application's one working surface: the header, the card of the current step, the designs
// on the stick and the footer, with the menus. Files dropped anywhere on it go to the model. It
// keeps only view-local values (the drag hover, the deletion waiting for an answer); everything
// else is the model's.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int contentWidth = 460;
    static constexpr int minimumHeight = 560;
    static constexpr int maximumHeight = 820;

    explicit MainWindow(StickModel& model, QWidget* parent = nullptr);

    StickHeader* header() const { return m_header; }
    StepCard* card() const { return m_card; }
    FilesSection* files() const { return m_files; }
    WindowFooter* footer() const { return m_footer; }
    // True while a drag with files hovers over the window.
    bool isTargeted() const;
    // The confirmation asked before deleting a design, while it is open.
    QMessageBox* deletionQuestion() const { return m_deletion; }
    // The "Not sent" alert, while it is open.
    QMessageBox* noticeAlert() const { return m_notice; }
    // Shows the window (again) and brings it to the front.
    void bringForward();

signals:
    void preferencesRequested();
    void logRequested();
    void quitRequested();
    // The person closed the window.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void askToDelete(const StickDesign& design);
    void showNotice();
    void chooseFiles();
    void setTargeted(bool targeted);

    StickModel& m_model;
    StickHeader* m_header;
    StepCard* m_card;
    FilesSection* m_files;
    WindowFooter* m_footer;
    QWidget* m_highlight;
    QAction* m_release = nullptr;
    QAction* m_forget = nullptr;
    QPointer<QMessageBox> m_deletion;
    QPointer<QMessageBox> m_notice;
};

#include "app/ui/MainWindow.h"

#include "app/core/Desktop.h"
#include "app/core/StickModel.h"
#include "app/ui/Artwork.h"
#include "app/ui/FileChooser.h"
#include "app/ui/FilesSection.h"
#include "app/ui/Look.h"
#include "app/ui/MakerSite.h"
#include "app/ui/StepCard.h"
#include "app/ui/StickHeader.h"
#include "app/ui/WindowFooter.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// The overlay while files are dragged over the window: it says where they go.
class DropHighlight : public QWidget {
public:
    explicit DropHighlight(QWidget* parent)
        : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = Look::accent();
        fill.setAlphaF(0.12);
        painter.setBrush(fill);
        painter.setPen(QPen(Look::accent(), 3));
        painter.drawRoundedRect(QRectF(rect()).adjusted(6, 6, -6, -6), 14, 14);
        const QPixmap symbol = Artwork::page(48, Look::accent(), true, Artwork::PageMark::Arrow);
        const QPoint centre = rect().center();
        painter.drawPixmap(centre - QPoint(24, 48), symbol);
        QFont font = painter.font();
        font.setPointSizeF(font.pointSizeF() * 1.3);
        font.setWeight(QFont::DemiBold);
        painter.setFont(font);
        painter.setPen(Look::accent());
        painter.drawText(QRect(0, centre.y() + 8, width(), 40), Qt::AlignHCenter | Qt::AlignTop,
                         MainWindow::tr("Send to the stick"));
    }
};

QFrame* divider() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.15);
    palette.setColor(QPalette::WindowText, color);
    line->setPalette(palette);
    return line;
}

// Names in these texts come from the stick and from files: never read them as markup.
void setPlainInformativeText(QMessageBox* box, const QString& text) {
    box->setInformativeText(text);
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
}

bool hasFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return true;
    return false;
}

} // namespace

MainWindow::MainWindow(StickModel& model, QWidget* parent)
    : QMainWindow(parent)
    , m_model(model)
    , m_header(new StickHeader(model))
    , m_card(new StepCard(model))
    , m_files(new FilesSection(model))
    , m_footer(new WindowFooter(model)) {
    setWindowTitle(tr("Brindle Stick"));
    setWindowIcon(Artwork::application());
    setAcceptDrops(true);

    auto* content = new QWidget;
    auto* contentBox = new QVBoxLayout(content);
    contentBox->setContentsMargins(20, 16, 20, 16);
    contentBox->setSpacing(16);
    contentBox->addWidget(m_card);
    contentBox->addWidget(m_files);
    contentBox->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* central = new QWidget;
    central->setFixedWidth(contentWidth);
    central->setMinimumHeight(minimumHeight);
    central->setMaximumHeight(maximumHeight);
    auto* box = new QVBoxLayout(central);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(m_header);
    box->addWidget(divider());
    box->addWidget(scroll, 1);
    box->addWidget(divider());
    box->addWidget(m_footer);
    setCentralWidget(central);
    m_highlight = new DropHighlight(central);

    // Drops on the search field go to the window like anywhere else, not into the query.
    m_files->searchField()->setAcceptDrops(false);
    connect(m_files, &FilesSection::deleteRequested, this, &MainWindow::askToDelete);
    connect(&m_model, &StickModel::noticeChanged, this, &MainWindow::showNotice);
    // Queued: the chooser runs its own loop, which must not start inside a model operation.
    connect(&m_model, &StickModel::chooseFilesRequested, this, &MainWindow::chooseFiles,
            Qt::QueuedConnection);
    connect(&m_model, &StickModel::mainWindowRequested, this, &MainWindow::bringForward);
    buildMenus();
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("Send Files…"), QKeySequence(Qt::CTRL | Qt::Key_O), this, [this] {
        m_model.showMainWindow();
        m_model.chooseFiles();
    });
    file->addSeparator();
    file->addAction(tr("Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), this,
                    &MainWindow::preferencesRequested);
    file->addSeparator();
    file->addAction(tr("Quit"), QKeySequence::Quit, this, &MainWindow::quitRequested);

    QMenu* stick = menuBar()->addMenu(tr("&Stick"));
    stick->addAction(tr("Reconnect"), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_R), this,
                     [this] { m_model.reconnect(); });
    stick->addAction(tr("Reload Files"), QKeySequence(Qt::CTRL | Qt::Key_R), this,
                     [this] { m_model.refreshList(); });
    stick->addSeparator();
    m_release = stick->addAction(tr("Release the Stick"), this, [this] { m_model.release(); });
    m_forget = stick->addAction(tr("Forget This Stick"), this, [this] { m_model.forgetStick(); });
    const auto enable = [this] {
        m_release->setEnabled(m_model.hasSession());
        m_forget->setEnabled(m_model.hasSession());
    };
    connect(&m_model, &StickModel::hasSessionChanged, this, enable);
    enable();

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("Stick Firmware and Help"), this,
                    [] { Desktop::openUrl(MakerSite::firmwareHelp()); });
    help->addAction(tr("Brindle for iPad"), this, [] { Desktop::openUrl(MakerSite::home()); });
    help->addSeparator();
    help->addAction(tr("Show Log in File Manager"), this, &MainWindow::logRequested);
}

bool MainWindow::isTargeted() const {
    return m_highlight->isVisible();
}

void MainWindow::bringForward() {
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Shown again after being minimised is not opened again.
    if (!m_model.windowOpen()) {
        m_model.setOpenMainWindow([window = QPointer<MainWindow>(this)] {
            if (window)
                window->bringForward();
        });
        m_model.windowOpened();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    m_model.windowClosed();
    emit closed();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!hasFiles(event->mimeData()))
        return;
    event->acceptProposedAction();
    setTargeted(true);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (hasFiles(event->mimeData()))
        event->acceptProposedAction();
}

void MainWindow::dragLeaveEvent(QDragLeaveEvent*) {
    setTargeted(false);
}

void MainWindow::dropEvent(QDropEvent* event) {
    setTargeted(false);
    if (!hasFiles(event->mimeData()))
        return;
    QList<QUrl> files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files << url;
    event->acceptProposedAction();
    m_model.accept(files);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    m_highlight->setGeometry(centralWidget()->rect());
}

void MainWindow::setTargeted(bool targeted) {
    m_highlight->setGeometry(centralWidget()->rect());
    m_highlight->setVisible(targeted);
    m_highlight->raise();
}

void MainWindow::chooseFiles() {
    const QList<QUrl> chosen = FileChooser::choose(this);
    if (!chosen.isEmpty())
        m_model.accept(chosen);
}

void MainWindow::askToDelete(const StickDesign& design) {
    if (m_deletion)
        m_deletion->reject();
    auto* question = new QMessageBox(this);
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setIcon(QMessageBox::Warning);
    question->setWindowTitle(tr("Brindle Stick"));
    question->setTextFormat(Qt::PlainText);
    question->setText(tr("Delete “%1” from the stick?").arg(design.name));
    setPlainInformativeText(question, tr("Removes %1. This cannot be undone.")
                                          .arg(design.fileNames().join(QStringLiteral(", "))));
    QPushButton* remove = question->addButton(tr("Delete"), QMessageBox::DestructiveRole);
    question->addButton(tr("Cancel"), QMessageBox::RejectRole);
    question->setDefaultButton(qobject_cast<QPushButton*>(question->buttons().last()));
    const QStringList names = design.fileNames();
    connect(remove, &QPushButton::clicked, this, [this, names] { m_model.deleteDesign(names); });
    m_deletion = question;
    question->open();
}

void MainWindow::showNotice() {
    const QString notice = m_model.notice();
    if (notice.isEmpty()) {
        if (m_notice)
            m_notice->close();
        return;
    }
    if (!m_notice) {
        m_notice = new QMessageBox(this);
        m_notice->setAttribute(Qt::WA_DeleteOnClose);
        m_notice->setIcon(QMessageBox::Information);
        m_notice->setWindowTitle(tr("Brindle Stick"));
        m_notice->setTextFormat(Qt::PlainText);
        m_notice->setText(tr("Not sent"));
        m_notice->setStandardButtons(QMessageBox::Ok);
        connect(m_notice, &QMessageBox::finished, this, [this] { m_model.clearNotice(); });
    }
    setPlainInformativeText(m_notice, notice);
    m_notice->open();
}

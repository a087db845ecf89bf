#include "app/ui/StepCard.h"

#include "app/core/StickModel.h"
#include "app/ui/Artwork.h"
#include "app/ui/Look.h"
#include "app/ui/Spinner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString joined(const QStringList& names) {
    return names.join(QStringLiteral(", "));
}

// A spinner beside the text of a step that waits.
void addBusyRow(QVBoxLayout* box, const QString& text) {
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(new Spinner, 0, Qt::AlignTop);
    row->addWidget(Look::label(text), 1);
    box->addLayout(row);
}

QHBoxLayout* addButtonRow(QVBoxLayout* box) {
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    box->addLayout(row);
    return row;
}

template <class Action> QPushButton* addButton(QHBoxLayout* row, const QString& text, Action act) {
    auto* button = new QPushButton(text);
    // Room around the words, which the desktop style leaves tight.
    button->setMinimumWidth(button->sizeHint().width() + 16);
    QObject::connect(button, &QPushButton::clicked, button, act);
    row->addWidget(button);
    return button;
}

// What the machine is doing with the stick, when that matters for a send.
std::optional<QString> machineNote(const std::optional<StickInfo>& info) {
    if (!info)
        return std::nullopt;
    if (info->hasUnsupportedCard())
        return StepCard::tr(
            "SD card: please format it as FAT32. Until then the stick uses its own memory.");
    if (std::holds_alternative<StickUSBState::NoHost>(info->usbState.value))
        return StepCard::tr("The stick is not plugged into a machine. It keeps your files until "
                            "it is.");
    if (std::holds_alternative<StickUSBState::HostActive>(info->usbState.value))
        return StepCard::tr("The machine is reading from the stick right now.");
    return std::nullopt;
}

QStringList receiptNames(const StickReceipt& receipt) {
    QStringList names;
    for (const auto& file : receipt.files)
        names << file.name;
    return names;
}

} // namespace

StepCard::StepCard(StickModel& model, QWidget* parent)
    : QFrame(parent)
    , m_model(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    for (auto signal :
         {&StickModel::stepChanged, &StickModel::sticksChanged, &StickModel::searchedLongChanged,
          &StickModel::infoChanged, &StickModel::queuedChanged, &StickModel::queuedDesignsChanged,
          &StickModel::sentDesignsChanged, &StickModel::pairingQuestionChanged})
        connect(&m_model, signal, this, &StepCard::refresh);
    refresh();
}

void StepCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(0.05);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), 12, 12);
}

void StepCard::refresh() {
    const Step& step = m_model.step();
    // A send's progress moves the bar only; rebuilding would flicker at every chunk.
    if (const auto* sending = step.get<Step::Sending>(); sending && m_shown.is<Step::Sending>() &&
                                                         m_bar && m_content &&
                                                         m_content->isVisibleTo(this)) {
        m_shown = step;
        showFraction(sending->fraction);
        return;
    }
    m_shown = step;
    if (m_content) {
        // Later, not now: the button whose click led here may still be on the stack.
        m_content->hide();
        m_content->deleteLater();
    }
    m_content = new QWidget(this);
    auto* box = new QVBoxLayout(m_content);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(10);
    build(box);
    layout()->addWidget(m_content);
    m_content->show();
}

void StepCard::build(QVBoxLayout* box) {
    const Step& step = m_shown;
    if (step.is<Step::Starting>()) {
        addBusyRow(box, tr("Starting Bluetooth…"));
    } else if (step.is<Step::Searching>()) {
        buildSearching(box);
    } else if (const auto* connecting = step.get<Step::Connecting>()) {
        buildConnecting(box, *connecting);
    } else if (step.is<Step::Confirm>()) {
        buildConfirm(box);
    } else if (step.is<Step::Ready>()) {
        buildReady(box);
    } else if (step.is<Step::Preparing>()) {
        addBusyRow(box, tr("Preparing %1…").arg(joined(m_model.queuedNames())));
    } else if (const auto* sending = step.get<Step::Sending>()) {
        buildSending(box, *sending);
    } else if (step.is<Step::Verifying>()) {
        addBusyRow(box, tr("Checking on the stick…"));
    } else if (const auto* replace = step.get<Step::Replace>()) {
        box->addWidget(
            Look::label(tr("Already on the stick: %1. Replace?").arg(joined(replace->names))));
        QHBoxLayout* row = addButtonRow(box);
        addButton(row, tr("Replace"), [this] { m_model.send(true); })->setDefault(true);
        addButton(row, tr("Keep"), [this] { m_model.keepExisting(); });
        row->addStretch();
    } else if (const auto* done = step.get<Step::Done>()) {
        buildDone(box, *done);
    } else if (step.is<Step::Released>()) {
        box->addWidget(Look::label(tr("The stick is free for your iPad.")));
        QHBoxLayout* row = addButtonRow(box);
        addButton(row, tr("Connect again"), [this] { m_model.reconnect(); });
        row->addStretch();
    } else if (const auto* failed = step.get<Step::Failed>()) {
        buildFailed(box, *failed);
    }
}

void StepCard::buildSearching(QVBoxLayout* box) {
    addBusyRow(box, tr("Looking for sticks…"));
    for (const StickPeripheral& stick : m_model.sticks()) {
        auto* row = new QPushButton;
        row->setFlat(true);
        row->setCursor(Qt::PointingHandCursor);
        row->setAccessibleName(stick.name);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(8, 6, 8, 6);
        auto* symbol = new QLabel;
        symbol->setPixmap(Artwork::glyph(18, Look::accent(), devicePixelRatioF()));
        layout->addWidget(symbol);
        auto* label = new QLabel(stick.name);
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label, 1);
        auto* chevron = new QLabel(QStringLiteral("›"));
        Look::makeSecondary(chevron);
        layout->addWidget(chevron);
        row->setMinimumHeight(layout->sizeHint().height());
        const QUuid id = stick.id;
        const QString name = stick.name;
        connect(row, &QPushButton::clicked, row,
                [this, id, name] { m_model.connectStick(id, name); });
        box->addWidget(row);
    }
    if (m_model.searchedLong()) {
        QLabel* hint = Look::label(
            tr("No stick yet. Plug it into the machine or a USB power source, switch the machine "
               "on and keep the computer close. A stick connected to an iPad is invisible here — "
               "close the stick there first."));
        Look::makeCallout(hint);
        Look::makeSecondary(hint);
        box->addWidget(hint);
    }
}

void StepCard::buildConnecting(QVBoxLayout* box, const Step::Connecting& connecting) {
    addBusyRow(box, tr("Connecting to %1…").arg(connecting.name));
    if (m_model.pairingQuestion())
        buildPairing(box);
}

void StepCard::buildPairing(QVBoxLayout* box) {
    const PairingQuestion& question = *m_model.pairingQuestion();
    QHBoxLayout* row = nullptr;
    if (question.kind == PairingQuestion::Kind::Passkey) {
        box->addWidget(Look::label(tr("%1 shows 6 digits on its display. Type them here to pair.")
                                       .arg(question.stickName)));
        row = addButtonRow(box);
        auto* field = new QLineEdit;
        field->setPlaceholderText(QStringLiteral("000000"));
        field->setMaxLength(6);
        field->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,6}")), field));
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) +
                             16);
        row->addWidget(field);
        QPushButton* pair = addButton(row, tr("Pair"), [this, field] {
            if (field->text().size() == 6)
                m_model.answerPasskey(field->text().toUInt());
        });
        pair->setDefault(true);
        pair->setEnabled(false);
        connect(field, &QLineEdit::textChanged, pair,
                [pair](const QString& text) { pair->setEnabled(text.size() == 6); });
        connect(field, &QLineEdit::returnPressed, pair, &QPushButton::click);
        field->setFocus();
    } else {
        box->addWidget(Look::label(tr("Does %1 show %2 on its display?")
                                       .arg(question.stickName)
                                       .arg(question.number, 6, 10, QLatin1Char('0'))));
        row = addButtonRow(box);
        addButton(row, tr("It matches"), [this] {
            m_model.answerComparison(true);
        })->setDefault(true);
    }
    addButton(row, tr("Cancel"), [this] { m_model.cancelPairing(); });
    row->addStretch();
}

void StepCard::buildConfirm(QVBoxLayout* box) {
    QLabel* title = Look::label(tr("Is this the right stick?"));
    Look::makeTitle(title);
    box->addWidget(title);
    const auto& info = m_model.info();
    box->addWidget(Look::label(tr("Look at the stick in your machine: its display now shows "
                                  "“%1”. Only then say yes.")
                                   .arg(info ? info->deviceName : QString())));
    QHBoxLayout* row = addButtonRow(box);
    addButton(row, tr("Yes, that one"), [this] { m_model.confirmStick(); })->setDefault(true);
    addButton(row, tr("Another stick"), [this] { m_model.searchAnotherStick(); });
    row->addStretch();
}

void StepCard::buildReady(QVBoxLayout* box) {
    if (const auto note = machineNote(m_model.info())) {
        auto* row = new QHBoxLayout;
        auto* symbol = new QLabel;
        symbol->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
        row->addWidget(symbol, 0, Qt::AlignTop);
        row->addWidget(Look::label(*note), 1);
        box->addLayout(row);
    }
    const QList<QueuedDesign>& waiting = m_model.queuedDesigns();
    if (waiting.isEmpty()) {
        QLabel* status =
            Look::label(tr("Ready. Drop embroidery files on this window to send them."));
        Look::makeSecondary(status);
        box->addWidget(status);
    } else {
        // Files wait here when one of them needs a look first (or while their previews are read).
        box->addWidget(Look::label(tr("Waiting to be sent:")));
        addDesigns(box, waiting, true);
        QHBoxLayout* row = addButtonRow(box);
        addButton(row, tr("Send"), [this] { m_model.send(false); })->setDefault(true);
        addButton(row, tr("Cancel"), [this] { m_model.forgetQueuedFiles(); });
        row->addStretch();
    }

    // The drop zone: the whole window takes drops; this says so and offers the chooser.
    auto* zone = new QFrame;
    zone->setObjectName(QStringLiteral("dropZone"));
    zone->setStyleSheet(QStringLiteral("#dropZone { border: 1.5px dashed palette(mid); "
                                       "border-radius: 10px; }"));
    auto* zoneBox = new QVBoxLayout(zone);
    zoneBox->setContentsMargins(12, 18, 12, 18);
    zoneBox->setSpacing(6);
    auto* symbol = new QLabel;
    symbol->setPixmap(Artwork::page(26, Look::secondary(this), false, Artwork::PageMark::Arrow));
    zoneBox->addWidget(symbol, 0, Qt::AlignHCenter);
    auto* text = new QLabel(tr("Drop embroidery files here"));
    Look::makeCallout(text);
    zoneBox->addWidget(text, 0, Qt::AlignHCenter);
    auto* choose = new QPushButton(tr("Choose Files…"));
    Look::makeLink(choose);
    connect(choose, &QPushButton::clicked, this, [this] { m_model.chooseFiles(); });
    zoneBox->addWidget(choose, 0, Qt::AlignHCenter);
    box->addWidget(zone);
}

void StepCard::buildSending(QVBoxLayout* box, const Step::Sending& sending) {
    box->addWidget(Look::label(tr("Sending %1").arg(joined(m_model.queuedNames()))));
    auto* row = new QHBoxLayout;
    m_bar = new QProgressBar;
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_percent = new QLabel;
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_bar, 1);
    row->addWidget(m_percent);
    box->addLayout(row);
    showFraction(sending.fraction);
}

void StepCard::showFraction(double fraction) {
    const double clamped = std::clamp(fraction, 0.0, 1.0);
    m_bar->setValue(int(clamped * 1000));
    m_percent->setText(tr("%1%").arg(qRound(clamped * 100)));
}

void StepCard::buildDone(QVBoxLayout* box, const Step::Done& done) {
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* check = new QLabel;
    check->setPixmap(Artwork::checkMark(20, Artwork::dotColor(DotState::Connected)));
    row->addWidget(check, 0, Qt::AlignTop);
    row->addWidget(Look::label(tr("Sent: %1").arg(joined(receiptNames(done.receipt)))), 1);
    box->addLayout(row);
    box->addWidget(
        Look::label(tr("Verified: the stick read it back unchanged. The machine sees it now.")));
    // What was sent, drawn; the warnings were for before sending.
    QList<QueuedDesign> drawn;
    for (QueuedDesign design : m_model.sentDesigns()) {
        if (!design.preview || design.preview->picture.isNull())
            continue;
        design.warning.clear();
        drawn << design;
    }
    addDesigns(box, drawn, false);
}

// A row per design: its picture (or a page symbol), its name, its figures and its warning.
void StepCard::addDesigns(QVBoxLayout* box, const QList<QueuedDesign>& designs, bool removable) {
    constexpr int side = 56;
    for (int index = 0; index < designs.size(); ++index) {
        const QueuedDesign& design = designs[index];
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        auto* picture = new QLabel;
        picture->setFixedSize(side, side);
        picture->setAlignment(Qt::AlignCenter);
        if (design.preview && !design.preview->picture.isNull())
            picture->setPixmap(Look::picture(design.preview->picture, side));
        else
            picture->setPixmap(
                Artwork::page(28, Look::secondary(this), false, Artwork::PageMark::None));
        row->addWidget(picture, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        auto* name = new QLabel(design.name);
        name->setTextFormat(Qt::PlainText);
        texts->addWidget(name);
        if (!design.figures.isEmpty()) {
            QLabel* figures = Look::label(design.figures);
            Look::makeCallout(figures);
            Look::makeSecondary(figures);
            texts->addWidget(figures);
        }
        if (!design.warning.isEmpty()) {
            auto* warningRow = new QHBoxLayout;
            warningRow->setSpacing(6);
            auto* symbol = new QLabel;
            symbol->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
            warningRow->addWidget(symbol, 0, Qt::AlignTop);
            QLabel* warning = Look::label(design.warning);
            Look::makeCallout(warning);
            warningRow->addWidget(warning, 1);
            texts->addLayout(warningRow);
        }
        texts->addStretch();
        row->addLayout(texts, 1);
        if (removable) {
            auto* remove = new QToolButton;
            remove->setAutoRaise(true);
            remove->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
            remove->setToolTip(tr("Take out of the queue"));
            remove->setAccessibleName(tr("Take %1 out of the queue").arg(design.name));
            connect(remove, &QToolButton::clicked, this,
                    [this, index] { m_model.removeFromQueue(index); });
            row->addWidget(remove, 0, Qt::AlignTop);
        }
        box->addLayout(row);
    }
}

void StepCard::buildFailed(QVBoxLayout* box, const Step::Failed& failed) {
    box->addWidget(Look::label(failed.message));
    QHBoxLayout* row = addButtonRow(box);
    addButton(row, tr("Try again"), [this] { m_model.retry(); })->setDefault(true);
    if (failed.settings)
        addButton(row, tr("Open Settings"), [this] { m_model.openBluetoothSettings(); });
    addButton(row, tr("Forget the files"), [this] { m_model.forgetQueuedFiles(); });
    row->addStretch();
}

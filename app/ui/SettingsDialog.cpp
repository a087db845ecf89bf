#include "app/ui/SettingsDialog.h"

#include "app/core/AppSettings.h"
#include "app/ui/Look.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// The place of "Custom…" after "No limit" and the common hoops.
int customIndex() {
    return int(HoopSize::common().size()) + 1;
}
} // namespace

SettingsDialog::SettingsDialog(AppSettings& settings, bool trayAvailable, QWidget* parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_toggle(new QCheckBox(tr("Show in the system tray"), this))
    , m_hoop(new QComboBox(this))
    , m_custom(new QWidget(this))
    , m_width(new QSpinBox(m_custom))
    , m_height(new QSpinBox(m_custom)) {
    setWindowTitle(tr("Preferences"));
    setFixedWidth(400);
    m_toggle->setChecked(m_settings.menuBar());
    m_toggle->setEnabled(trayAvailable);
    connect(m_toggle, &QCheckBox::toggled, this, [this](bool shown) {
        m_settings.setMenuBar(shown);
        emit menuBarChanged(shown);
    });
    QLabel* explanation =
        Look::label(tr("With the tray icon, closing the window keeps Brindle Stick running; the "
                       "stick is let go until you open the window again."));
    Look::makeCallout(explanation);
    Look::makeSecondary(explanation);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(8);
    layout->addWidget(m_toggle);
    layout->addWidget(explanation);
    if (!trayAvailable) {
        QLabel* missing = Look::label(
            tr("This desktop has no system tray, so closing the window quits Brindle Stick."));
        Look::makeCallout(missing);
        layout->addWidget(missing);
    }

    m_hoop->addItem(tr("No limit"));
    for (const HoopSize& hoop : HoopSize::common())
        m_hoop->addItem(tr("%1 mm").arg(hoop.text()));
    m_hoop->addItem(tr("Custom…"));
    const std::optional<HoopSize> hoop = m_settings.largestHoop();
    const qsizetype common = hoop ? HoopSize::common().indexOf(*hoop) : -1;
    m_hoop->setCurrentIndex(!hoop ? 0 : common >= 0 ? int(common) + 1 : customIndex());
    for (QSpinBox* side : {m_width, m_height}) {
        side->setRange(10, 2000);
        side->setSuffix(tr(" mm"));
    }
    m_width->setValue(hoop ? hoop->width : 130);
    m_height->setValue(hoop ? hoop->height : 180);
    m_custom->setVisible(m_hoop->currentIndex() == customIndex());
    auto* customRow = new QHBoxLayout(m_custom);
    customRow->setContentsMargins(0, 0, 0, 0);
    customRow->addWidget(m_width);
    customRow->addWidget(new QLabel(QStringLiteral("×")));
    customRow->addWidget(m_height);
    customRow->addStretch();

    const auto chosen = [this] {
        m_custom->setVisible(m_hoop->currentIndex() == customIndex());
        emit largestHoopChanged(chosenHoop());
    };
    connect(m_hoop, &QComboBox::currentIndexChanged, this, chosen);
    connect(m_width, &QSpinBox::valueChanged, this, chosen);
    connect(m_height, &QSpinBox::valueChanged, this, chosen);

    auto* hoopLabel = new QLabel(tr("Largest hoop of my machine"));
    hoopLabel->setBuddy(m_hoop);
    QLabel* hoopExplanation = Look::label(
        tr("A design larger than this, either way round, waits with a warning before it is sent."));
    Look::makeCallout(hoopExplanation);
    Look::makeSecondary(hoopExplanation);
    layout->addSpacing(12);
    layout->addWidget(hoopLabel);
    layout->addWidget(m_hoop);
    layout->addWidget(m_custom);
    layout->addWidget(hoopExplanation);
}

std::optional<HoopSize> SettingsDialog::chosenHoop() const {
    const int index = m_hoop->currentIndex();
    if (index <= 0)
        return std::nullopt;
    if (index == customIndex())
        return HoopSize{m_width->value(), m_height->value()};
    return HoopSize::common().at(index - 1);
}

#include "app/ui/FileChooser.h"

#include "SendKit/files/StickFileName.h"

#include <QCoreApplication>
#include <QFileDialog>

QString FileChooser::nameFilter() {
    QStringList patterns;
    // Both cases: the chooser matches names as the file system does, and machines write
    // upper-case names.
    for (const QString& extension :
         StickFileName::stitchExtensions() + StickFileName::companionExtensions())
        patterns << QStringLiteral("*.") + extension << QStringLiteral("*.") + extension.toUpper();
    return QCoreApplication::translate("FileChooser", "Embroidery files (%1)")
        .arg(patterns.join(u' '));
}

QList<QUrl> FileChooser::choose(QWidget* parent) {
    QFileDialog dialog(
        parent, QCoreApplication::translate("FileChooser",
                                            "Choose the embroidery files to send to the stick."));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(nameFilter());
    dialog.setLabelText(QFileDialog::Accept, QCoreApplication::translate("FileChooser", "Send"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedUrls();
}

// SPDX-License-Identifier: MIT

#include "backends/qt/QtDialogs.h"
#include "backends/qt/QtLook.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

void QtDialogs::MessageBox(const std::string& text) {
    // Any pairing of CR and LF is one line break on screen.
    QString shown = QString::fromStdString(text);
    shown.replace(QRegularExpression("\r\n|\n\r|\r"), "\n");
    ShowPlainMessage(shown, Owner());
}

namespace {

// "Text|pattern;pattern|Text|pattern" as Qt's "Text (pattern pattern)" filters.
QStringList QtFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i];
        text.remove(QRegularExpression(" *\\(.*\\)$"));
        filters << text + " (" + parts[i + 1].split(';').join(' ') + ")";
    }
    return filters;
}

QString FirstSuffix(const QString& qtFilter) {
    const QRegularExpressionMatch m = QRegularExpression("\\*\\.(\\w+)").match(qtFilter);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

SaveDialogResult QtDialogs::ShowSaveDialog(const SaveDialogRequest& request) {
    QFileDialog dialog(Owner(), "Save As");
    dialog.setObjectName("TarvikSaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = QtFilters(request.Filter);
    dialog.setNameFilters(filters);
    if (!request.OverwritePrompt)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // A name typed without an extension takes the chosen filter's, before the overwrite
    // question is asked.
    dialog.setDefaultSuffix(FirstSuffix(filters.value(0)));
    QObject::connect(&dialog, &QFileDialog::filterSelected,
                     [&](const QString& f) { dialog.setDefaultSuffix(FirstSuffix(f)); });
    dialog.selectFile(QString::fromStdString(request.ProposedName));

    SaveDialogResult result;
    result.FileName = request.ProposedName;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return result;
    result.Accepted = true;
    result.FileName = dialog.selectedFiles().front().toStdString();
    result.FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return result;
}

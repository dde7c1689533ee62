#include "QtFileDialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

QString caseBlindPattern(const std::string& pattern) {
  if (pattern == "*.*") return QStringLiteral("*");
  QString blind;
  for (const QChar c : QString::fromStdString(pattern)) {
    if (c.isLetter() && c.toLower() != c.toUpper()) {
      blind += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
    } else {
      blind += c;
    }
  }
  return blind;
}

QtFileDialogs::QtFileDialogs() {
  // A folder under a device is one that nobody, root included, can create.
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

std::optional<ChosenFile> QtFileDialogs::run(const FileDialogRequest& request) {
  QFileDialog dialog(parent_.data(), QString::fromStdString(request.title), QDir::currentPath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setAcceptMode(request.kind == FileDialogRequest::Kind::Save ? QFileDialog::AcceptSave
                                                                     : QFileDialog::AcceptOpen);
  QStringList filters;
  for (const FileFilter& filter : request.filters) {
    filters << QStringLiteral("%1 (%2)").arg(QString::fromStdString(filter.description),
                                             caseBlindPattern(filter.pattern));
  }
  dialog.setNameFilters(filters);
  // The dialog picks the patterns from the filter strings; the list shows the
  // descriptions exactly as they are meant to read.
  if (auto* typeList = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
      typeList && typeList->count() == static_cast<int>(request.filters.size())) {
    for (int i = 0; i < typeList->count(); ++i) {
      typeList->setItemText(i, QString::fromStdString(request.filters[i].description));
    }
  }
  dialog.selectFile(QString::fromStdString(request.proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;

  const QFileInfo chosen(dialog.selectedFiles().constFirst());
  return ChosenFile{QDir::toNativeSeparators(chosen.absoluteFilePath()).toStdString(),
                    chosen.fileName().toStdString()};
}

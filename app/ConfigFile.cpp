// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConfigFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include "text/ConfigLines.h"

namespace trasvex {

namespace {

// The file's own mode bits: the bits Qt adds for the current user would give
// root the owner's write permission on every file.
constexpr QFile::Permissions kModeBits =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
    QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

// Writes |bytes| and flushes them. The flush is checked here: commit() would
// not report a failed flush of the device's buffer and would put the short
// temporary file in the target's place.
bool WriteAll(QFileDevice& file, const std::string& bytes) {
  return file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) && file.flush() &&
         file.error() == QFileDevice::NoError;
}

// A folder that takes no new file (a shared folder of lists that the user
// may edit but not add to) leaves no room for a temporary file: the file is
// written over, as editors do there.
ConfigFile::WriteResult WriteInPlace(const QString& name, const std::string& bytes) {
  QFile file(name);
  if (!file.open(QIODevice::WriteOnly))
    return ConfigFile::WriteResult::kCannotCreate;
  const bool written = WriteAll(file, bytes);
  file.close();
  return written && file.error() == QFileDevice::NoError ? ConfigFile::WriteResult::kWritten
                                                         : ConfigFile::WriteResult::kWriteError;
}

}  // namespace

bool ConfigFile::Read(const QString& name, QString& text) {
  std::string bytes;
  if (!fs_.ReadWholeFile(name.toStdString(), bytes))
    return false;
  const ConfigText config = ReadConfigLines(bytes);
  std::string joined;
  for (std::size_t i = 0; i < config.lines.size(); ++i)
    joined += (i ? "\n" : "") + config.lines[i];
  if (config.endsWithBreak)
    joined += '\n';
  text = QString::fromStdString(joined);
  encoding_ = config.encoding;
  return true;
}

ConfigFile::WriteResult ConfigFile::Write(const QString& name, const QStringList& lines) const {
  std::vector<std::string> encoded;
  for (const QString& line : lines)
    encoded.push_back(line.toStdString());
  const std::string bytes = WriteConfigLines(encoded, encoding_);
  const QFileInfo old(name);
  const QFile::Permissions mode = old.permissions() & kModeBits;
  if (old.isFile() && !(mode & QFile::WriteOwner))
    return WriteResult::kCannotCreate;
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly))
    return old.isFile() && !QFileInfo(old.absolutePath()).isWritable() ? WriteInPlace(name, bytes)
                                                                       : WriteResult::kCannotCreate;
  if (old.isFile())
    file.setPermissions(mode);
  if (!WriteAll(file, bytes)) {
    file.cancelWriting();  // the temporary file goes with |file|
    return WriteResult::kWriteError;
  }
  return file.commit() ? WriteResult::kWritten : WriteResult::kWriteError;
}

}  // namespace trasvex

#include "ConfigFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include "ConfigLines.h"

namespace trasvex {

namespace {

// The file's own mode bits: the bits Qt adds for the current user would give
// root the owner's write permission on every file.
constexpr QFile::Permissions kModeBits =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
    QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

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
    return WriteResult::kCannotCreate;
  if (old.isFile())
    file.setPermissions(mode);
  if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
    return WriteResult::kWriteError;
  return WriteResult::kWritten;
}

}  // namespace trasvex

#include "ConfigFile.h"

#include <QSaveFile>

#include "ConfigLines.h"

namespace trasvex {

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

ConfigFile::WriteResult ConfigFile::Write(const QString& name, const QString& text) const {
  std::vector<std::string> lines;
  for (const QString& line : text.split('\n'))
    lines.push_back(line.toStdString());
  const std::string bytes = WriteConfigLines(lines, encoding_);
  QSaveFile file(name);
  if (!file.open(QIODevice::WriteOnly))
    return WriteResult::kCannotCreate;
  if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
    return WriteResult::kWriteError;
  return WriteResult::kWritten;
}

}  // namespace trasvex

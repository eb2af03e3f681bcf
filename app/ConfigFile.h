// Reading and writing a configuration file: the parameter list as plain text,
// lines joined with CR LF. Text that is valid UTF-8 (the locale's encoding)
// is read as such; any other file is read byte for byte as Latin-1, and a
// file is written back in the encoding it was read in.
#pragma once

#include <QString>
#include <QStringList>

#include "fs/FileSystem.h"

namespace trasvex {

class ConfigFile {
 public:
  enum class WriteResult { kWritten, kCannotCreate, kWriteError };

  explicit ConfigFile(FileSystem& fileSystem) : fs_(fileSystem) {}

  // The editor's text of file |name|: its lines joined with "\n", with a
  // final "\n" when the file ends with a line break. False when the file
  // cannot be read; |text| is then unchanged.
  bool Read(const QString& name, QString& text);
  // Writes |lines| to |name| through a temporary file beside it, which
  // replaces the file only once everything is written and takes over its
  // permission bits. A file without its owner's write permission is not
  // replaced, whoever runs the program.
  WriteResult Write(const QString& name, const QStringList& lines) const;

 private:
  FileSystem& fs_;
  bool latin1_ = false;  // the last file read was not valid UTF-8
};

}  // namespace trasvex

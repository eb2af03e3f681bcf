// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing a configuration file: the parameter list as plain text,
// lines joined with CR LF. A file is written back in the encoding it was
// read in (UTF-8, with or without a byte order mark, UTF-16, or the system's
// code page); before any file is read, or after a new list, in UTF-8.
#pragma once

#include <QString>
#include <QStringList>

#include "text/ConfigLines.h"
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
  // replaces the file only once everything is written and flushed, and
  // takes over its permission bits; after a failed write the file stays as
  // it was. A file without its owner's write permission is not replaced,
  // whoever runs the program. In a folder where no file may be created the
  // file is written in place, and a failed write leaves it short.
  WriteResult Write(const QString& name, const QStringList& lines) const;
  // A new list is written in UTF-8, whatever the last file read was in.
  void StartNew() { encoding_ = ConfigEncoding::kUtf8; }

 private:
  FileSystem& fs_;
  ConfigEncoding encoding_ = ConfigEncoding::kUtf8;  // of the last file read
};

}  // namespace trasvex

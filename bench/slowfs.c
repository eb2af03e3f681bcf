// SPDX-License-Identifier: GPL-3.0-or-later
// A passthrough file system that makes a local folder answer like a network
// share, for the benchmarks: every request waits a fixed delay, then is
// forwarded to the backing folder. FUSE's multi-threaded loop serves
// requests side by side (up to -o max_threads=N, 10 by default), so
// concurrent requests overlap as they do on a share; the kernel makes
// requests that change one folder take turns.
//
//   slowfs [-o delay_us=N] BACKING MOUNTPOINT [FUSE options]
//
// The delay defaults to 1000 us. As a share client does, the kernel keeps
// names and attributes for a second (-o entry_timeout=S,attr_timeout=S) and
// a directory listing brings each entry's attributes along.
// Unmount with fusermount3 -u MOUNTPOINT.
#define _GNU_SOURCE
#define FUSE_USE_VERSION 31

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>
#include <unistd.h>

static struct Settings {
  unsigned delay_us;
  const char* backing;
  int root;  // the backing folder, opened before mounting
} settings = {1000, NULL, -1};

// Every request waits here first.
static void Delay(void) {
  const struct timespec pause = {settings.delay_us / 1000000,
                                 (long)(settings.delay_us % 1000000) * 1000};
  if (settings.delay_us)
    nanosleep(&pause, NULL);
}

// FUSE paths start with '/'; the backing calls take them relative to root.
static const char* Relative(const char* path) { return path[1] ? path + 1 : "."; }

// The FUSE result of a system call that returns -1 on failure.
static int Done(long result) { return result == -1 ? -errno : 0; }

static int Getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
  Delay();
  if (fi)
    return Done(fstat((int)fi->fh, st));
  return Done(fstatat(settings.root, Relative(path), st, AT_SYMLINK_NOFOLLOW));
}

static int Readlink(const char* path, char* target, size_t size) {
  Delay();
  const ssize_t length = readlinkat(settings.root, Relative(path), target, size - 1);
  if (length == -1)
    return -errno;
  target[length] = '\0';
  return 0;
}

static int Mkdir(const char* path, mode_t mode) {
  Delay();
  return Done(mkdirat(settings.root, Relative(path), mode));
}

static int Unlink(const char* path) {
  Delay();
  return Done(unlinkat(settings.root, Relative(path), 0));
}

static int Rmdir(const char* path) {
  Delay();
  return Done(unlinkat(settings.root, Relative(path), AT_REMOVEDIR));
}

static int Symlink(const char* target, const char* path) {
  Delay();
  return Done(symlinkat(target, settings.root, Relative(path)));
}

// flags may hold RENAME_NOREPLACE or RENAME_EXCHANGE: the backing folder
// decides whether it supports them.
static int Rename(const char* from, const char* to, unsigned int flags) {
  Delay();
  return Done(renameat2(settings.root, Relative(from), settings.root, Relative(to), flags));
}

static int Link(const char* from, const char* to) {
  Delay();
  return Done(linkat(settings.root, Relative(from), settings.root, Relative(to), 0));
}

static int Chmod(const char* path, mode_t mode, struct fuse_file_info* fi) {
  Delay();
  if (fi)
    return Done(fchmod((int)fi->fh, mode));
  return Done(fchmodat(settings.root, Relative(path), mode, 0));
}

static int Chown(const char* path, uid_t uid, gid_t gid, struct fuse_file_info* fi) {
  Delay();
  if (fi)
    return Done(fchown((int)fi->fh, uid, gid));
  return Done(fchownat(settings.root, Relative(path), uid, gid, AT_SYMLINK_NOFOLLOW));
}

static int Truncate(const char* path, off_t size, struct fuse_file_info* fi) {
  Delay();
  if (fi)
    return Done(ftruncate((int)fi->fh, size));
  const int fd = openat(settings.root, Relative(path), O_WRONLY);
  if (fd == -1)
    return -errno;
  const int result = Done(ftruncate(fd, size));
  close(fd);
  return result;
}

static int OpenWith(const char* path, int flags, mode_t mode, struct fuse_file_info* fi) {
  Delay();
  const int fd = openat(settings.root, Relative(path), flags, mode);
  if (fd == -1)
    return -errno;
  fi->fh = (uint64_t)fd;
  return 0;
}

static int Open(const char* path, struct fuse_file_info* fi) {
  return OpenWith(path, fi->flags, 0, fi);
}

static int Create(const char* path, mode_t mode, struct fuse_file_info* fi) {
  return OpenWith(path, fi->flags | O_CREAT, mode, fi);
}

static int Read(const char* path, char* buffer, size_t size, off_t offset,
                struct fuse_file_info* fi) {
  (void)path;
  Delay();
  const ssize_t done = pread((int)fi->fh, buffer, size, offset);
  return done == -1 ? -errno : (int)done;
}

static int Write(const char* path, const char* buffer, size_t size, off_t offset,
                 struct fuse_file_info* fi) {
  (void)path;
  Delay();
  const ssize_t done = pwrite((int)fi->fh, buffer, size, offset);
  return done == -1 ? -errno : (int)done;
}

static int Statfs(const char* path, struct statvfs* st) {
  (void)path;
  Delay();
  return Done(fstatvfs(settings.root, st));
}

// close() waits for this answer, as it waits for a share's.
static int Flush(const char* path, struct fuse_file_info* fi) {
  (void)path;
  (void)fi;
  Delay();
  return 0;
}

static int Release(const char* path, struct fuse_file_info* fi) {
  (void)path;
  Delay();
  return Done(close((int)fi->fh));
}

static int Fsync(const char* path, int dataOnly, struct fuse_file_info* fi) {
  (void)path;
  Delay();
  return Done(dataOnly ? fdatasync((int)fi->fh) : fsync((int)fi->fh));
}

static int Opendir(const char* path, struct fuse_file_info* fi) {
  Delay();
  const int fd = openat(settings.root, Relative(path), O_RDONLY | O_DIRECTORY);
  if (fd == -1)
    return -errno;
  DIR* const directory = fdopendir(fd);
  if (!directory) {
    const int error = errno;
    close(fd);
    return -error;
  }
  fi->fh = (uint64_t)(uintptr_t)directory;
  return 0;
}

// Lists from the given position (a telldir() cookie, 0 at the start) until
// the kernel's buffer is full; when the kernel asks for attributes too, each
// entry but "." and ".." carries its own.
static int Readdir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t offset,
                   struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
  (void)path;
  Delay();
  DIR* const directory = (DIR*)(uintptr_t)fi->fh;
  if (offset == 0)
    rewinddir(directory);
  else
    seekdir(directory, offset);
  for (struct dirent* entry; (entry = readdir(directory));) {
    const char* const name = entry->d_name;
    struct stat st = {.st_ino = entry->d_ino, .st_mode = DTTOIF(entry->d_type)};
    const int full = (flags & FUSE_READDIR_PLUS) && strcmp(name, ".") && strcmp(name, "..") &&
                     fstatat(dirfd(directory), name, &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (fill(buffer, name, &st, telldir(directory), full ? FUSE_FILL_DIR_PLUS : 0))
      break;
  }
  return 0;
}

static int Releasedir(const char* path, struct fuse_file_info* fi) {
  (void)path;
  Delay();
  return Done(closedir((DIR*)(uintptr_t)fi->fh));
}

static int Utimens(const char* path, const struct timespec times[2],
                   struct fuse_file_info* fi) {
  Delay();
  if (fi)
    return Done(futimens((int)fi->fh, times));
  return Done(utimensat(settings.root, Relative(path), times, AT_SYMLINK_NOFOLLOW));
}

static void* Init(struct fuse_conn_info* connection, struct fuse_config* config) {
  // Lookups and listings in one folder side by side, as on a share (libfuse
  // 3.14 does not pass this on: there they take turns within a folder).
  connection->want |= connection->capable & FUSE_CAP_PARALLEL_DIROPS;
  config->use_ino = 1;      // the backing folder's inode numbers
  config->hard_remove = 1;  // no hidden stand-ins for open files that were removed
  return NULL;
}

static const struct fuse_operations kOperations = {
    .getattr = Getattr,
    .readlink = Readlink,
    .mkdir = Mkdir,
    .unlink = Unlink,
    .rmdir = Rmdir,
    .symlink = Symlink,
    .rename = Rename,
    .link = Link,
    .chmod = Chmod,
    .chown = Chown,
    .truncate = Truncate,
    .open = Open,
    .read = Read,
    .write = Write,
    .statfs = Statfs,
    .flush = Flush,
    .release = Release,
    .fsync = Fsync,
    .opendir = Opendir,
    .readdir = Readdir,
    .releasedir = Releasedir,
    .init = Init,
    .create = Create,
    .utimens = Utimens,
};

static const struct fuse_opt kOptions[] = {
    {"delay_us=%u", offsetof(struct Settings, delay_us), 0},
    FUSE_OPT_END,
};

// The first argument that is not an option names the backing folder; the
// rest go to FUSE.
static int TakeBacking(void* data, const char* argument, int key, struct fuse_args* args) {
  (void)data;
  (void)args;
  if (key == FUSE_OPT_KEY_NONOPT && !settings.backing) {
    settings.backing = strdup(argument);
    return 0;
  }
  return 1;
}

int main(int argc, char** argv) {
  struct fuse_args args = FUSE_ARGS_INIT(argc, argv);
  if (fuse_opt_parse(&args, &settings, kOptions, TakeBacking) != 0 || !settings.backing) {
    fprintf(stderr, "usage: slowfs [-o delay_us=N] BACKING MOUNTPOINT [FUSE options]\n");
    return 2;
  }
  settings.root = open(settings.backing, O_RDONLY | O_DIRECTORY);
  if (settings.root == -1) {
    perror(settings.backing);
    return 1;
  }
  fuse_opt_add_arg(&args, "-odefault_permissions");
  const int status = fuse_main(args.argc, args.argv, &kOperations, NULL);
  fuse_opt_free_args(&args);
  return status;
}

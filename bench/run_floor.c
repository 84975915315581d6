/* The floor a run of the program is held to: the least a process can do to leave the same files
 * with the same durability, in plain C with nothing but the C library.
 *
 *   scenario_run_floor FROM TO PASSING... -- LASTING...
 *
 * reads the bytes of every FROM/NAME first, then writes each to TO/NAME with one write: a
 * passing file is only closed (it is deleted again below), a lasting one is flushed with fsync
 * before it is closed. The passing files are then deleted and TO is flushed once. Exit status 0
 * when all of it succeeded. */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

enum { max_files = 16 };

struct file {
    char from[4096];
    char to[4096];
    const char *data;
    size_t size;
    int lasting;
};

static int fail(const char *what, const char *file) {
    fprintf(stderr, "scenario_run_floor: %s %s: %s\n", what, file, strerror(errno));
    return 1;
}

/* The bytes are mapped and faulted in before any writing, as a writer has them in memory. */
static int load(struct file *f) {
    struct stat st;
    const int fd = open(f->from, O_RDONLY | O_CLOEXEC);
    if (fd < 0 || fstat(fd, &st) != 0) return fail("read", f->from);
    f->size = (size_t)st.st_size;
    f->data = "";
    if (f->size > 0) {
        void *p = mmap(NULL, f->size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (p == MAP_FAILED) return fail("map", f->from);
        f->data = p;
    }
    close(fd);
    return 0;
}

static int store(const struct file *f) {
    const int fd = open(f->to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return fail("create", f->to);
    if (write(fd, f->data, f->size) != (ssize_t)f->size) return fail("write", f->to);
    if (f->lasting && fsync(fd) != 0) return fail("fsync", f->to);
    if (close(fd) != 0) return fail("close", f->to);
    return 0;
}

int main(int argc, char **argv) {
    static struct file files[max_files];
    int count = 0;
    int lasting = 0;
    if (argc < 4) {
        fprintf(stderr, "usage: scenario_run_floor FROM TO PASSING... -- LASTING...\n");
        return 2;
    }
    for (int i = 3; i < argc; ++i) {
        if (strcmp(argv[i], "--") == 0) {
            lasting = 1;
            continue;
        }
        if (count == max_files) return 2;
        struct file *f = &files[count++];
        snprintf(f->from, sizeof f->from, "%s/%s", argv[1], argv[i]);
        snprintf(f->to, sizeof f->to, "%s/%s", argv[2], argv[i]);
        f->lasting = lasting;
        if (load(f) != 0) return 1;
    }
    for (int i = 0; i < count; ++i) {
        if (store(&files[i]) != 0) return 1;
    }
    for (int i = 0; i < count; ++i) {
        if (!files[i].lasting && unlink(files[i].to) != 0) return fail("delete", files[i].to);
    }
    const int dir = open(argv[2], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || fsync(dir) != 0) return fail("fsync", argv[2]);
    close(dir);
    return 0;
}

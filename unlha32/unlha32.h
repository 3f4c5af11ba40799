/* The exported C interface of our LHA archive library: UNLHA32.DLL, libunlha32.so on Linux. */
#ifndef BREVAN_UNLHA32_H
#define BREVAN_UNLHA32_H

#ifdef __cplusplus
extern "C" {
#endif

/* On Windows the entry points use the Windows API convention (the callee removes the
   arguments) and are exported undecorated through the library's .def file. */
#if defined(_WIN32)
#define UNLHA_EXPORT
#define UNLHA_CALL __stdcall
#elif defined(__GNUC__)
#define UNLHA_EXPORT __attribute__((visibility("default")))
#define UNLHA_CALL
#else
#define UNLHA_EXPORT
#define UNLHA_CALL
#endif

/* Result codes of Unlha, numbered as the archiver libraries of the platform number them.
   0 is success. */
#define UNLHA_ERROR_DISK_SPACE 0x8005        /* the members announce more than the drive holds */
#define UNLHA_ERROR_READ_ONLY 0x8006         /* an existing file to replace is read-only */
#define UNLHA_ERROR_METHOD 0x8009            /* a member uses a method we cannot decode */
#define UNLHA_ERROR_FILE_CRC 0x800C          /* a member's data fails its CRC or length */
#define UNLHA_ERROR_MAKEDIRECTORY 0x8012     /* a folder could not be created */
#define UNLHA_ERROR_CANNOT_WRITE 0x8013      /* a member's file could not be written */
#define UNLHA_ERROR_HEADER_BROKEN 0x8017     /* a member header after the first is damaged */
#define UNLHA_ERROR_ARC_FILE_OPEN 0x8018     /* the archive exists but cannot be opened */
#define UNLHA_ERROR_NOT_ARC_FILE 0x8019      /* the file is not an LHA archive */
#define UNLHA_ERROR_CANNOT_READ 0x801A       /* reading the archive failed */
#define UNLHA_ERROR_COMMAND_NAME 0x801C      /* unknown command word or malformed command line */
#define UNLHA_ERROR_ENOUGH_MEMORY 0x801E     /* out of memory */
#define UNLHA_ERROR_NOT_SUPPORT 0x8023       /* a switch or argument we do not support */
#define UNLHA_ERROR_LONG_FILE_NAME 0x8026    /* a member's name is too long to be written */
#define UNLHA_ERROR_NOT_FIND_ARC_FILE 0x8029 /* the archive path names no file */
#define UNLHA_ERROR_UNEXPECTED_EOF 0x8042    /* the archive ends inside a member */
#define UNLHA_ERROR_UNSAFE_PATH 0x8081 /* a member would land outside the destination: skipped */

/* Mode of UnlhaCheckArchive: with UNLHA_CHECK_FULLCRC every member is decoded and its CRC
   checked; any other mode reads the headers only. */
#define UNLHA_CHECK_RAPID 0
#define UNLHA_CHECK_BASIC 1
#define UNLHA_CHECK_FULLCRC 2

/* Runs one archiver command. ownerWindow is ignored. commandLine is CP932 text:
     e|x [-switch...] "archive" [-switch...] "destination\"
   (Windows paths; on Linux those of the machine folder, "X:\...", or native absolute paths "/...").
   Every member is extracted with its stored folder names beneath the destination, creating
   folders and replacing existing files. A damaged archive (bad header, truncation, CRC error,
   unknown method, sizes out of all proportion to the archive's) changes nothing, nor does one
   whose members announce more than the destination's drive has free (less a reserve); a
   member's data that runs past its announced size stops it at once; a member that would land
   outside the destination, or that cannot be written, is left out while the others are written, and
   the result is then non-zero. A short report in CP932 goes to output: at most outputSize bytes
   including the terminating NUL (nothing when outputSize is 0). Returns 0 or one of the codes
   above. */
UNLHA_EXPORT int UNLHA_CALL Unlha(void* ownerWindow, const char* commandLine, char* output,
                                  unsigned int outputSize);

/* The library's version times 100. */
UNLHA_EXPORT int UNLHA_CALL UnlhaGetVersion(void);

/* Non-zero when archivePath (CP932, as in Unlha) names a readable LHA archive: every header
   is sound and the archive ends cleanly; with UNLHA_CHECK_FULLCRC every member's data also
   passes its CRC. 0 otherwise. */
UNLHA_EXPORT int UNLHA_CALL UnlhaCheckArchive(const char* archivePath, int mode);

#ifdef __cplusplus
}
#endif

#endif /* BREVAN_UNLHA32_H */

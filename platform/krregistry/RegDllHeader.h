#ifndef KR_REGDLLHEADER_H
#define KR_REGDLLHEADER_H
/*
 * KRRegistry: the product line's settings library.
 *
 * Settings are addressed by section, key and name. A program uses its own
 * section (named after its executable); the key groups related values ("" for
 * the program's top level, "PhysIdList" for the PhysId history, ...); the name
 * picks one value. Every value is an integer or a text.
 *
 * All strings are plain zero-terminated 8-bit strings in UTF-8. Sections, keys
 * and names are compared byte for byte (case matters). The third argument of
 * every setting call is reserved and must be 0.
 *
 * Every function returns a status: KRREG_SUCCESS (0) or one of the failure
 * codes below. A failure never changes an out-argument except where a function
 * documents it (the size of KRREG_ERROR_MORE_DATA).
 *
 * Text results (ReadSettingString, GetDataDirectory) use one size protocol:
 *   - on entry *size is the capacity of buffer in bytes, terminator included;
 *     buffer may be null when *size is 0 (a pure length query);
 *   - if the text and its terminator do not fit, the status is
 *     KRREG_ERROR_MORE_DATA (5) and *size holds the text's length in bytes
 *     (without terminator); buffer is left alone;
 *   - the caller then makes a buffer of that length plus the terminator and
 *     calls again with *size = length + 1; the status is KRREG_SUCCESS, buffer
 *     holds the zero-terminated text and *size its length without terminator.
 *
 * Where the values live: one file per user, "KR/KRRegistry.ini" under the
 * user's configuration folder ($XDG_CONFIG_HOME, else ~/.config). Every call
 * reads the file afresh, so values written by other processes are seen at once;
 * changes replace the file atomically, so a crash never leaves half a file.
 * The functions may be called from any thread.
 */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(KRREGISTRY_LIBRARY)
#    define KRREGISTRY_API __declspec(dllexport)
#  else
#    define KRREGISTRY_API __declspec(dllimport)
#  endif
#else
#  define KRREGISTRY_API __attribute__((visibility("default")))
#endif

/* Status codes. */
#define KRREG_SUCCESS 0
/* The settings file or its folder cannot be read, created or replaced (missing
   or unwritable configuration folder, no home folder, file locked by a process
   that does not let go, settings too large to keep). */
#define KRREG_ERROR_IO 1
/* No such value, or no data folder is known (neither $XDG_DATA_HOME nor a home folder). */
#define KRREG_ERROR_NOT_FOUND 2
/* The buffer is too small; *size now holds the needed length without terminator. */
#define KRREG_ERROR_MORE_DATA 5
/* Memory ran out while handling the call. */
#define KRREG_ERROR_NOT_ENOUGH_MEMORY 8
/* The stored value is not an integer in the range of int (ReadSettingInteger only). */
#define KRREG_ERROR_INVALID_DATA 13
/* A null pointer, a negative size or a reserved argument other than 0. */
#define KRREG_ERROR_INVALID_PARAMETER 87

/* Stores value under section/key/name, replacing any earlier value of that name. */
KRREGISTRY_API int WriteSettingInteger(const char *section, const char *key, int reserved,
                                       const char *name, int value);

/* Stores text under section/key/name, replacing any earlier value of that name. */
KRREGISTRY_API int WriteSettingString(const char *section, const char *key, int reserved,
                                      const char *name, const char *text);

/* Reads an integer into *value. A value stored as text is accepted when it is a
   decimal integer in the range of int; otherwise KRREG_ERROR_INVALID_DATA. */
KRREGISTRY_API int ReadSettingInteger(const char *section, const char *key, int reserved,
                                      const char *name, int *value);

/* Reads a text (an integer value gives its decimal text); size protocol above. */
KRREGISTRY_API int ReadSettingString(const char *section, const char *key, int reserved,
                                     const char *name, char *buffer, int *size);

/* Removes settings:
     key "" and name ""   -> the whole section, every key in it;
     key set, name ""     -> that key with all its values;
     name set             -> that one value.
   Removing what is not there succeeds. */
KRREGISTRY_API int DeleteSettings(const char *section, const char *key, int reserved,
                                  const char *name);

/* The product line's data folder for this user: "KR" under the user's data
   folder ($XDG_DATA_HOME, else ~/.local/share), always ending with the path
   separator, e.g. "/home/anna/.local/share/KR/". The separator is added so that
   a program can append its own folder name, its settings section, directly
   ("/home/anna/.local/share/KR/KR715Config"). The folder is not created here.
   Size protocol above. */
KRREGISTRY_API int GetDataDirectory(char *buffer, int *size);

#ifdef __cplusplus
}
#endif

#endif /* KR_REGDLLHEADER_H */

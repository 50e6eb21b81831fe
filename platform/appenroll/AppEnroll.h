#ifndef KR_APPENROLL_H
#define KR_APPENROLL_H
/*
 * AppEnroll: registers a product line program with the user's desktop.
 *
 * Registering installs a desktop entry for the program in the user's
 * applications folder ($XDG_DATA_HOME/applications, else
 * ~/.local/share/applications), so that menus and launchers offer it;
 * unregistering removes that entry again. Both are idempotent.
 *
 * The entry's file name comes from the product number and the title: the
 * title in lower case with every run of characters other than ASCII letters
 * and digits turned into one '-', prefixed by "kr<productNo>-" unless it
 * already starts with that product's name. Product 715 titled "KR715 Config"
 * gives "kr715-config.desktop"; product 42 titled "Flow Monitor" gives
 * "kr42-flow-monitor.desktop".
 *
 * Strings are zero-terminated UTF-8. The functions return APPENROLL_SUCCESS (0)
 * or one of the failure codes below.
 */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  if defined(APPENROLL_LIBRARY)
#    define APPENROLL_API __declspec(dllexport)
#  else
#    define APPENROLL_API __declspec(dllimport)
#  endif
#else
#  define APPENROLL_API __attribute__((visibility("default")))
#endif

#define APPENROLL_SUCCESS 0
/* The applications folder or the entry cannot be created, replaced or removed. */
#define APPENROLL_ERROR_IO 1
/* No applications folder is known (neither $XDG_DATA_HOME nor a home folder). */
#define APPENROLL_ERROR_NO_FOLDER 2
/* Memory ran out while handling the call. */
#define APPENROLL_ERROR_NOT_ENOUGH_MEMORY 8
/* A null or empty title, a product number below 1, an unknown kind, an
   executable path that is not absolute, not UTF-8 or holds control characters. */
#define APPENROLL_ERROR_INVALID_PARAMETER 87

/* Kinds of program. */
#define APPENROLL_KIND_CONFIGURATION_TOOL 1 /* a device configuration program */

/* Flags of AddRegistration. */
#define APPENROLL_FLAG_SHOW_IN_MENUS 1 /* listed in menus; without it the entry is hidden
                                          (NoDisplay) but still known to the desktop */

/* Installs (or refreshes) the desktop entry that starts executablePath. */
APPENROLL_API int AddRegistration(int productNo, int kind, const char *title,
                                  const char *executablePath, int flag);

/* Removes the desktop entry of that product and title; succeeds when there is none. */
APPENROLL_API int DeleteRegistration(int productNo, const char *title, int kind);

#ifdef __cplusplus
}
#endif

#endif /* KR_APPENROLL_H */

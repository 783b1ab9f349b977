/* Visibility of the exported C functions. */
#ifndef PLIM_EXPORT_H
#define PLIM_EXPORT_H

#if defined(PLIM_BUILDING_LIBRARY)
#define PLIM_API __attribute__((visibility("default")))
#else
#define PLIM_API
#endif

#endif

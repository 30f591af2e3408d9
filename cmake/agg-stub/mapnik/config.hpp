/* AGG's headers mark their classes for export from a shared library; we
   link AGG statically, so the mark is empty. */
#ifndef MAPNIK_CONFIG_HPP
#define MAPNIK_CONFIG_HPP
#define MAPNIK_DECL
#endif

# AGG 2.4 (Anti-Grain Geometry), as kept in the deps/agg folder of Debian's
# mapnik source package, built static. Its headers include
# <mapnik/config.hpp> for an export mark: a stub under cmake/agg-stub gives
# it empty. agg_pixfmt_rgba.cpp needs Boost and is left out; nothing here
# uses the RGBA pixel formats' out-of-line parts.
if(TARGET agg)
  return()
endif()
trelk_require_dep(mapnik-3.1.0)

set(agg_dir ${TRELK_DEPS}/mapnik-3.1.0/deps/agg)
set(agg_sources arc arrowhead bezier_arc bspline curves embedded_raster_fonts
  gsv_text image_filters line_aa_basics line_profile_aa rounded_rect
  sqrt_tables trans_affine trans_double_path trans_single_path
  trans_warp_magnifier vcgen_bspline vcgen_contour vcgen_dash
  vcgen_markers_term vcgen_smooth_poly1 vcgen_stroke vpgen_clip_polygon
  vpgen_clip_polyline vpgen_segmentator)
list(TRANSFORM agg_sources PREPEND ${agg_dir}/src/agg_)
list(TRANSFORM agg_sources APPEND .cpp)

add_library(agg STATIC ${agg_sources})
target_include_directories(agg SYSTEM PUBLIC ${agg_dir}/include
                           ${CMAKE_SOURCE_DIR}/cmake/agg-stub)
target_compile_options(agg PRIVATE -w)

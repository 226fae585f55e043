# The packages `cpack` makes from the install rules: a Debian package from a Linux build, a zip from
# the Windows cross build. `make package` (scripts/package) builds both from Release builds.
set(CPACK_PACKAGE_NAME springview)
set(CPACK_PACKAGE_VENDOR "the springview developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for a real-time mass-spring simulation")
set(CPACK_PACKAGE_DESCRIPTION [[
springview shows a spring mesh read from a model file, a cloth pinned along
one edge and a floor grid in one OpenGL window. Every vertex of the mesh is a
point mass tied to its rest position, with springs along the model's edges,
driven by a turning wind and a swelling vertical force.
Each repaint advances the simulation one frame, so the scene moves while the
mouse moves over the window and rests while it rests. Alt drags turn, zoom
and pan the view. The shipped model is a geodesic sphere of 1002 vertices; the
desktop entry starts the viewer in its folder, or opens a model file.
springview-import converts any Wavefront OBJ file into a model to view.]])
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME springview-${PROJECT_VERSION}-windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  # Installed by file(INSTALL) under DESTDIR, so that the desktop entry names /usr, not a staging folder.
  set(CPACK_SET_DESTDIR ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SV_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The dependencies are the libraries the binary links, as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)

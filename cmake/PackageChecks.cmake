# Read by cpack before it makes a package: a package whose program downloads and starts the
# installer of a newer version by itself would go round the package manager.
if(CPACK_ORDWELL_SELF_UPDATE)
  message(WARNING "This build updates itself (ORDWELL_SELF_UPDATE=ON). A package for a package "
                  "manager should be built from a build configured with -DORDWELL_SELF_UPDATE=OFF.")
endif()

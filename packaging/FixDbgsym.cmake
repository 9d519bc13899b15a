# Run by cpack after packing: CPack writes the -dbgsym package's md5sums with
# the build folder's absolute paths, so that dpkg cannot check the files and
# the package depends on where it was built. This packs it again with paths
# relative to the root, and its symbol files readable but not executable,
# as Debian's own -dbgsym packages have them; like theirs, it gains
# usr/share/doc/quarrow-dbgsym, a link to the game's own documents, where its
# copyright and changelog are.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.ddeb$")
        continue()
    endif()
    set(tree ${package}.tree)
    file(REMOVE_RECURSE ${tree})
    execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${tree}/DEBIAN/md5sums sums)
    string(REGEX REPLACE "  [^\n]*-dbgsym/usr/" "  usr/" sums "${sums}")
    file(WRITE ${tree}/DEBIAN/md5sums "${sums}")
    file(GLOB_RECURSE symbols ${tree}/usr/*.debug)
    file(CHMOD ${symbols} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(MAKE_DIRECTORY ${tree}/usr/share/doc)
    file(CREATE_LINK quarrow ${tree}/usr/share/doc/quarrow-dbgsym SYMBOLIC)
    # Made now, they take the packages' time, as every other entry has it.
    execute_process(COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH} ${tree}/usr/share ${tree}/usr/share/doc
                            ${tree}/usr/share/doc/quarrow-dbgsym COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${tree} ${package}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${tree})
endforeach()

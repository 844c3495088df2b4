# Runs after CPack has made the archive: SHA256SUMS beside it, in sha256sum's format.
set(sums "")
foreach(archive IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(name "${archive}" NAME)
  file(SHA256 "${archive}" sum)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${sums}")

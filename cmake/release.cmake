# Builds the static ARM executables through their presets and packs the release archive:
#   rigo-VERSION/armv7/rigo, rigo-VERSION/aarch64/rigo, rigo-VERSION/share/man/man8/rigo.8,
#   rigo-VERSION/share/bash-completion/completions/rigo, rigo-VERSION/LICENSE,
#   rigo-VERSION/NOTICE (the statically linked C library), rigo-VERSION/SHA256SUMS
# into OUTPUT_DIR/rigo-VERSION.tar.gz, with its own sum in rigo-VERSION.tar.gz.sha256.
#   cmake -DSOURCE_DIR=... -DOUTPUT_DIR=... -DVERSION=... -DMANUAL=... -DCOMPLETION=...
#         -P release.cmake

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${SOURCE_DIR} COMMAND_ERROR_IS_FATAL ANY)
endfunction()

set(name rigo-${VERSION})
set(stage ${OUTPUT_DIR}/release/${name})
file(REMOVE_RECURSE ${OUTPUT_DIR}/release)

foreach(arch armv7 aarch64)
  run(${CMAKE_COMMAND} --preset ${arch}-static)
  run(${CMAKE_COMMAND} --build --preset ${arch}-static)
  file(COPY ${SOURCE_DIR}/build/${arch}-static/rigo DESTINATION ${stage}/${arch})
endforeach()
file(COPY ${MANUAL} DESTINATION ${stage}/share/man/man8)
file(COPY ${COMPLETION} DESTINATION ${stage}/share/bash-completion/completions)
file(COPY ${SOURCE_DIR}/LICENSE DESTINATION ${stage})

# The executables carry the C library of Debian's cross toolchains (glibc, LGPL-2.1+): say
# which, and where its source is. A cross package's version is its glibc source version
# with a "crossN" suffix.
set(libraries "")
foreach(arch_package armv7:libc6-dev-armhf-cross aarch64:libc6-dev-arm64-cross)
  string(REPLACE ":" ";" arch_package ${arch_package})
  list(GET arch_package 0 arch)
  list(GET arch_package 1 package)
  execute_process(COMMAND dpkg-query -W -f=\${Version} ${package}
    OUTPUT_VARIABLE version RESULT_VARIABLE status ERROR_QUIET)
  if(NOT status EQUAL 0 OR version STREQUAL "")
    message(FATAL_ERROR "${package} is not installed: the NOTICE could not name the C library")
  endif()
  string(REGEX REPLACE "cross[0-9]+$" "" glibc ${version})
  string(APPEND libraries "  ${arch}/rigo: ${package} ${version}, from Debian's glibc source package ${glibc}\n")
  list(APPEND glibc_versions ${glibc})
endforeach()
list(REMOVE_DUPLICATES glibc_versions)
set(sources "")
foreach(glibc IN LISTS glibc_versions)
  string(APPEND sources "  apt-get source glibc=${glibc}\n  https://snapshot.debian.org/package/glibc/${glibc}/\n")
endforeach()
file(WRITE ${stage}/NOTICE "rigo ${VERSION}

rigo itself is under the MIT licence (LICENSE).

The executables armv7/rigo and aarch64/rigo are statically linked: they contain parts of
the GNU C Library (glibc) as Debian 12 packages it for cross compiling:
${libraries}
The GNU C Library is free software under the GNU Lesser General Public License, version
2.1 or (at your option) any later version: https://www.gnu.org/licenses/old-licenses/lgpl-2.1.html
Its complete source is Debian's glibc source package of the version above:
${sources}
rigo's own source builds the executables again, so they can be relinked with a changed C
library (cmake --preset armv7-static, cmake --preset aarch64-static).
")

set(files armv7/rigo aarch64/rigo share/man/man8/rigo.8 share/bash-completion/completions/rigo LICENSE NOTICE)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${stage}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS "${sums}")

# A fixed order and time stamps: the same files give the same archive.
set(members ${name}/SHA256SUMS)
foreach(file IN LISTS files)
  list(APPEND members ${name}/${file})
endforeach()
set(archive ${OUTPUT_DIR}/${name}.tar.gz)
file(REMOVE ${archive})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT_DIR}/${name}.tar --format=gnutar "--mtime=1970-01-01 00:00:00 UTC" -- ${members}
  WORKING_DIRECTORY ${OUTPUT_DIR}/release
  COMMAND_ERROR_IS_FATAL ANY)
# gzip -n leaves the time out of the gzip header too.
execute_process(COMMAND gzip -n -9 ${OUTPUT_DIR}/${name}.tar COMMAND_ERROR_IS_FATAL ANY)
file(SHA256 ${archive} sum)
file(WRITE ${archive}.sha256 "${sum}  ${name}.tar.gz\n")
message(STATUS "Release archive: ${archive}")

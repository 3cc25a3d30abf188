# Builds the static ARM executables through their presets and packs the release archive:
#   rigo-VERSION/armv7/rigo, rigo-VERSION/aarch64/rigo, rigo-VERSION/share/man/man1/rigo.1,
#   rigo-VERSION/share/bash-completion/completions/rigo, rigo-VERSION/SHA256SUMS
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
file(COPY ${MANUAL} DESTINATION ${stage}/share/man/man1)
file(COPY ${COMPLETION} DESTINATION ${stage}/share/bash-completion/completions)

set(files armv7/rigo aarch64/rigo share/man/man1/rigo.1 share/bash-completion/completions/rigo)
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

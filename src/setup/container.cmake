# The container: section head, checksums, cipher, archive.
target_sources(tess_setup PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/archive.cpp
  ${CMAKE_CURRENT_LIST_DIR}/archive_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checksum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cipher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cipher_tables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container.cpp
  ${CMAKE_CURRENT_LIST_DIR}/container_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scramble.cpp
  ${CMAKE_CURRENT_LIST_DIR}/section_head.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zlib_codec.cpp
  ${CMAKE_CURRENT_LIST_DIR}/zlib_deflate.cpp)

# Writes the page's service worker: the list of files it caches, under a cache
# name made from their contents.
#   cmake -DPAGE_DIR=... -DTEMPLATE=sw.js.in -DFILES="a;b;..." -P write_service_worker.cmake
set(digests "")
set(file_list "")
foreach(file ${FILES})
  file(SHA256 ${PAGE_DIR}/${file} digest)
  string(APPEND digests ${digest})
  string(APPEND file_list "  \"${file}\",\n")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 CACHE_VERSION)
set(CACHED_FILES "${file_list}")
configure_file(${TEMPLATE} ${PAGE_DIR}/sw.js @ONLY)

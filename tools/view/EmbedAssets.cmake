# Writes a C++ header that holds text files as character arrays, so that
# the page's frame, style and script are part of the tool:
#   cmake -DOUTPUT=header -DASSETS="kName=path;kOther=path" -P EmbedAssets.cmake
set(content "// Generated from tools/view by EmbedAssets.cmake; do not edit.\n#pragma once\n\n")
foreach(asset ${ASSETS})
  string(REPLACE "=" ";" pair "${asset}")
  list(GET pair 0 name)
  list(GET pair 1 path)
  file(READ "${path}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REGEX REPLACE "(([^,]*,){24})" "\\1\n    " bytes "${bytes}")
  string(APPEND content "static const char ${name}[] = {\n    ${bytes}'\\0'};\n\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${content}")
configure_file("${OUTPUT}.tmp" "${OUTPUT}" COPYONLY)

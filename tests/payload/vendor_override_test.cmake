# Runs the payload script writer against a made-up vendor folder (cmake -P, from ctest):
# a vendor file replaces ours whatever its letter case, unrelated files are ignored, and
# the other entries keep their own paths.
#   -DPAYLOAD_DIR=<source>/payload -DWORK_DIR=<scratch folder>
cmake_minimum_required(VERSION 3.20)
include(${PAYLOAD_DIR}/payload_rc.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/vendor)
file(WRITE ${WORK_DIR}/vendor/tavrel4.sys "vendor driver")
file(WRITE ${WORK_DIR}/vendor/Vis_Tavrel4.Cat "vendor catalog")
file(WRITE ${WORK_DIR}/vendor/readme.txt "not a payload file")

tavrel_write_payload_rc(${WORK_DIR}/payload.rc ${WORK_DIR}/vendor depends
  TAVREL4.SYS=/ours/TAVREL4.SYS VIS_TAVREL4.CAT=/ours/VIS_TAVREL4.CAT TAVRELNT.SYS=/ours/TAVRELNT.SYS)
file(READ ${WORK_DIR}/payload.rc rc)

set(expected "LANGUAGE 4, 2 // LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED (2052)
TAVREL4.SYS RESFILE \"${WORK_DIR}/vendor/tavrel4.sys\"
VIS_TAVREL4.CAT RESFILE \"${WORK_DIR}/vendor/Vis_Tavrel4.Cat\"
TAVRELNT.SYS RESFILE \"/ours/TAVRELNT.SYS\"
")
string(FIND "${rc}" "${expected}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "unexpected script:\n${rc}\nexpected to contain:\n${expected}")
endif()
if(NOT depends STREQUAL "${WORK_DIR}/vendor/tavrel4.sys;${WORK_DIR}/vendor/Vis_Tavrel4.Cat;/ours/TAVRELNT.SYS")
  message(FATAL_ERROR "unexpected dependencies: ${depends}")
endif()
if(rc MATCHES "readme")
  message(FATAL_ERROR "an unrelated vendor file entered the script")
endif()
message(STATUS "vendor files replace ours by name, any letter case")

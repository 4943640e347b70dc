# Packs the add-in's extension: cmake -DSRC=... -DSTAGE=... -DOUT=... -DVERSION=... -P MakeOxt.cmake
# The Basic module is kept as plain text (Link.bas) and escaped into the
# XML form the office reads.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/META-INF ${STAGE}/QMLink)
set(PROJECT_VERSION ${VERSION})
configure_file(${SRC}/description.xml.in ${STAGE}/description.xml @ONLY)
configure_file(${SRC}/description-en.txt ${STAGE}/description-en.txt COPYONLY)
configure_file(${SRC}/manifest.xml ${STAGE}/META-INF/manifest.xml COPYONLY)
configure_file(${SRC}/script.xlb ${STAGE}/QMLink/script.xlb COPYONLY)
configure_file(${SRC}/dialog.xlb ${STAGE}/QMLink/dialog.xlb COPYONLY)
file(READ ${SRC}/Link.bas basic)
string(REPLACE "&" "&amp;" basic "${basic}")
string(REPLACE "<" "&lt;" basic "${basic}")
string(REPLACE ">" "&gt;" basic "${basic}")
string(REPLACE "\"" "&quot;" basic "${basic}")
string(REPLACE "'" "&apos;" basic "${basic}")
file(WRITE ${STAGE}/QMLink/Link.xba
"<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<!DOCTYPE script:module PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" \"module.dtd\">
<script:module xmlns:script=\"http://openoffice.org/2000/script\" script:name=\"Link\" script:language=\"StarBasic\">${basic}</script:module>
")
file(REMOVE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUT} --format=zip
                        META-INF/manifest.xml description.xml description-en.txt
                        QMLink/script.xlb QMLink/dialog.xlb QMLink/Link.xba
                WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not pack ${OUT}")
endif()

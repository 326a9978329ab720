# cmake -DZIC=... -DSOURCE=tzdata.zi -DFOLDER=dir -DSTAMP=file -P CompileTzdata.cmake
# Compiles the tzdata.zi with zic into a new folder and puts it in place of FOLDER only when zic
# succeeded, the tzdata.zi beside the zones (its link lines name the old zone names).
file(REMOVE_RECURSE ${FOLDER}.new)
execute_process(COMMAND ${ZIC} -d ${FOLDER}.new ${SOURCE} RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    file(REMOVE_RECURSE ${FOLDER}.new)
    message(FATAL_ERROR "zic cannot compile ${SOURCE}: ${errors}")
endif()
file(COPY_FILE ${SOURCE} ${FOLDER}.new/tzdata.zi)
file(REMOVE_RECURSE ${FOLDER})
file(RENAME ${FOLDER}.new ${FOLDER})
file(TOUCH ${STAMP})

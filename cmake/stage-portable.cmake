# The portable zip's folders, laid out as the installer installs them:
# MorvelVCL/ (Morvel.exe, three tables, the manual) and fenraCxx/ (fenra.exe,
# the EUC-JP table). Without the manual, which Help and -p open, nothing is
# staged.
#   cmake -DFROM=<data> -DMORVEL_EXE=.. -DFENRA_EXE=.. -DMANUAL=.. -DTO=<folder> -P stage-portable.cmake
if(NOT EXISTS "${MANUAL}")
  message(FATAL_ERROR "No manual at \"${MANUAL}\": the portable zip needs MorvelVCL.pdf")
endif()
foreach(table MS932~EUC-JP.bin MS932~UTF-8.bin MS932~Shift_JIS.bin)
  file(COPY ${FROM}/${table} DESTINATION ${TO}/MorvelVCL)
endforeach()
file(COPY ${FROM}/MS932~EUC-JP.bin DESTINATION ${TO}/fenraCxx)
file(COPY ${FENRA_EXE} DESTINATION ${TO}/fenraCxx)
file(COPY ${MORVEL_EXE} DESTINATION ${TO}/MorvelVCL)
file(COPY_FILE ${MANUAL} ${TO}/MorvelVCL/MorvelVCL.pdf)

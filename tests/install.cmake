# The installed layout, the launcher run without a display, and the Debian
# package unpacked into a temporary root and run the same way.
add_test(NAME install_and_package COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install_test.sh ${CMAKE_BINARY_DIR})
# cpack checks that everything is built and installs into its own staging
# folder: nothing else should be building meanwhile.
set_tests_properties(install_and_package PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)

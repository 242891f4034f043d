# `cmake --build BUILD --target tidy`: clang-tidy with the checks in
# .clang-tidy over the program, the platform layer and the tools, using this
# build's compile commands. Fails on any finding.
find_program(SALUTE_CLANG_TIDY NAMES clang-tidy-14 clang-tidy)
find_program(SALUTE_RUN_CLANG_TIDY NAMES run-clang-tidy-14 run-clang-tidy)

if(SALUTE_CLANG_TIDY AND SALUTE_RUN_CLANG_TIDY)
  add_custom_target(tidy
    COMMAND ${SALUTE_RUN_CLANG_TIDY} -quiet -j 2
      -clang-tidy-binary ${SALUTE_CLANG_TIDY}
      -p ${CMAKE_BINARY_DIR}
      "^${CMAKE_SOURCE_DIR}/(app|assets|frame|scene|text|log|platform|tools)/.*\\.cpp$"
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "clang-tidy over app/ assets/ frame/ scene/ text/ log/ platform/ tools/"
    VERBATIM)
  # Generated sources (the text pages) must exist before they are checked.
  add_dependencies(tidy salute_program)
else()
  add_custom_target(tidy
    COMMAND ${CMAKE_COMMAND} -E echo "clang-tidy (and run-clang-tidy) not found: install clang-tidy"
    COMMAND ${CMAKE_COMMAND} -E false
    VERBATIM)
endif()

# `format` applies .clang-format to every tracked C++ and Objective-C++ file.
find_program(CLANG_FORMAT clang-format)
find_package(Git QUIET)
if(CLANG_FORMAT AND GIT_FOUND)
    add_custom_target(format
        COMMAND ${GIT_EXECUTABLE} ls-files -z -- "*.cpp" "*.h" "*.mm"
            | xargs -0 ${CLANG_FORMAT} -i
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        COMMENT "Applying .clang-format"
        VERBATIM)
endif()

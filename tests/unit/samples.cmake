# The drum-sample tests: the committed WAVE files, and the generator that must rebuild them exactly.
target_sources(ostinel_unit_tests PRIVATE samples_test.cpp)
target_compile_definitions(ostinel_unit_tests PRIVATE OSTINEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}" OSTINEL_MAKE_SAMPLES="$<TARGET_FILE:make_samples>")
add_dependencies(ostinel_unit_tests make_samples)

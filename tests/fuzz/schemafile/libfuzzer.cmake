# libFuzzer build of the schema file reader (included from tests/fuzz/CMakeLists.txt, clang).
# The widgets get coverage instrumentation and AddressSanitizer here (DiduzaCore gets them in
# tests/fuzz/CMakeLists.txt); the target links libFuzzer's main. CI replays the corpus through
# CTest (fuzz_schemafile_replay); scripts/fuzz does not build this target, whose widgets take
# long to build with clang. A longer run by hand, here ten minutes on a copy of the corpus:
#   cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
#     -DCMAKE_CXX_COMPILER=clang++ -DDIDUZA_BUILD_FUZZ=ON -DDIDUZA_SANITIZE=OFF \
#     -DDIDUZA_BUILD_TESTS=OFF -DDIDUZA_BUILD_DEMO=OFF -DDIDUZA_BUILD_BENCH=OFF
#   cmake --build build-fuzz -j2 --target fuzz_schemafile
#   mkdir -p /tmp/sch && cp tests/fuzz/schemafile/corpus/* /tmp/sch/
#   QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
#     build-fuzz/bin/fuzz_schemafile -max_total_time=600 -timeout=10 \
#     -detect_leaks=0 -max_len=16384 -dict=tests/fuzz/schemafile/schemafile.dict /tmp/sch
# (detect_leaks=0: Qt and fontconfig keep caches to the end of the process.) A failing input
# is written to the working directory (crash-*); replay it with
#   build/bin/fuzz_schemafile_replay crash-<hash>
target_compile_options(DiduzaWidgets PRIVATE ${DIDUZA_FUZZ_FLAGS})
target_link_options(DiduzaWidgets PRIVATE -fsanitize=address)
add_executable(fuzz_schemafile
  ${CMAKE_CURRENT_LIST_DIR}/fuzz_schemafile.cpp ${CMAKE_CURRENT_LIST_DIR}/SchemaFileFuzz.cpp)
set_target_properties(fuzz_schemafile PROPERTIES AUTOMOC OFF)
target_compile_options(fuzz_schemafile PRIVATE ${DIDUZA_WARNINGS} -fsanitize=fuzzer,address
  -fno-omit-frame-pointer -g)
target_link_options(fuzz_schemafile PRIVATE -fsanitize=fuzzer,address)
target_link_libraries(fuzz_schemafile PRIVATE DiduzaWidgets)

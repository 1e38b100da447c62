tralcon_fuzzer(fuzz_image fuzz_image.cpp tralcon_flash)

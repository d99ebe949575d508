# With ORVEL_SANITIZE every target is built and linked with ASan and UBSan.
if(ORVEL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

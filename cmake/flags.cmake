# Exact floating-point results: no contraction into fused multiply-adds and
# never -ffast-math.
add_compile_options(-ffp-contract=off -fno-fast-math)
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)

if(PLIM_SANITIZE)
  add_compile_options(-fsanitize=${PLIM_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${PLIM_SANITIZE})
endif()

# cmake -DRUNNER=<wine runner> -DCLI=<pellaro-cli.exe> -P cli_roundtrip.cmake
set(key 000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f)

function(run_cli out_var rc_var)
  execute_process(COMMAND ${RUNNER} ${CLI} ${ARGN} OUTPUT_VARIABLE out RESULT_VARIABLE rc TIMEOUT 300)
  string(REPLACE "\r" "" out "${out}")
  string(STRIP "${out}" out)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${rc_var} "${rc}" PARENT_SCOPE)
endfunction()

function(expect what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: got [${actual}], expected [${expected}]")
  endif()
  message(STATUS "ok ${what}")
endfunction()

# Sealed and opened by the CNG edition, with and without MAC.
foreach(options "--key-hex;${key}" "--key-hex;${key};--no-mac")
  run_cli(link rc link seal ${options} lk-wine item-5 https://api.tovrel.localhost/)
  expect("seal ${options} exit code" "${rc}" 0)
  run_cli(opened rc link open --key-hex ${key} "${link}")
  expect("open after seal ${options}" "${opened}" "lk-wine\nitem-5\nhttps://api.tovrel.localhost/")
endforeach()

# Sealed by `openssl enc -aes-256-cbc` and `openssl dgst -mac HMAC` with the key above.
set(openssl_link "Tovrelapp:eyJpdiI6IkFBQUFBQUFBQUFBQUFBQUFBQUFBQUE9PSIsInZhbHVlIjoidGtDSTdUajV2Z0liTzA4czNJUUJpZz09IiwibWFjIjoiY2Q5MzM3ZTg1ZDMzNmRmNTQ0NTAxZDUxZjViMWRlZjMzMGJiZDNmMmRlMGFjZDA1ODlmN2QxYTFlZjlkYjJhZSJ9:eyJpdiI6IkFRRUJBUUVCQVFFQkFRRUJBUUVCQVE9PSIsInZhbHVlIjoiWDB5RUk0cjYzUm5SUFFFVWZiaWdEQT09IiwibWFjIjoiNmI3ZWJhMDMxOTAwYmZmNDVmMWMyNzAzYjFjNjdjODE2OTIzZDFmZjZlMzk1ZjVlNzY2MWU1ZWFlOTdjODk3OCJ9:eyJpdiI6IkFnSUNBZ0lDQWdJQ0FnSUNBZ0lDQWc9PSIsInZhbHVlIjoiV2ZIdXJuenNTMGlicXpLWWowUEVpb2tJODZjZkFUYXhscWcxYkpSYVpkOD0iLCJtYWMiOiJjN2FkY2MyMzliOTkxZWRmOWY4ZDEyNjcxYzk2YWQ4MmJlMDdjNjk3NTgzODE5OTJjYWRkZmJhNzJhZmVkMjlhIn0=")
run_cli(opened rc link open --key-hex ${key} "${openssl_link}")
expect("open an openssl-sealed link" "${opened}" "lk-openssl\nitem-77\nhttps://api.tovrel.localhost")

# The wrong key: the MAC refuses; the code alone, exit code 1.
run_cli(opened rc link open --key-hex 1f1e1d1c1b1a191817161514131211100f0e0d0c0b0a09080706050403020100 "${openssl_link}")
expect("wrong key exit code" "${rc}" 1)
string(FIND "${opened}" "exception_MAC verification failed" at)
expect("wrong key code" "${at}" 0)

run_cli(opened rc link open "Tovrelapp:A:B")
expect("two fields" "${opened}" "split_failed_parts_2")

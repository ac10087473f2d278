# Our own code is warning-clean; third-party headers come in as system includes.
function(tabrix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

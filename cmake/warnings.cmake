# Our own code is warning-clean; third-party headers come in as system includes. Warnings
# stop the build only when asked (scripts/test does), so that a user's compiler, which may
# warn where ours does not, still builds a release.
function(tabrix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${TABRIX_WERROR}>:-Werror>)
endfunction()

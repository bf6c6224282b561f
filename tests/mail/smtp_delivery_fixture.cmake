# Runs at ctest time after the discovered tests exist: the engine's delivery tests
# come before the check of what the server received.
set_tests_properties(SmtpEngineTest.DeliversInEverySecurityMode PROPERTIES FIXTURES_SETUP smtp_delivery)

# Runs at ctest time after the discovered tests exist: the test message goes out before the
# check of what the server received.
set_tests_properties(SmtpSetupTest.SendTestEmailThroughTheLoopbackServer PROPERTIES FIXTURES_SETUP smtp_setup_mail)

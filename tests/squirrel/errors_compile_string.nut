// exit: 1
print("fine");
    local s = "unterminated

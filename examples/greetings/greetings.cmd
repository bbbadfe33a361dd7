@echo off
title Greetings
rem Greetings: the second example program of Tessaline Setup.
echo Hello! Hallo!
pause

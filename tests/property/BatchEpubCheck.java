// SPDX-License-Identifier: MIT
// Checks many EPUBs in one JVM: starting EPUBCheck costs seconds, checking a small book does not.
//   java -cp epubcheck.jar BatchEpubCheck.java FILE.epub...   checks the files given
//   java -cp epubcheck.jar BatchEpubCheck.java                checks each path read from stdin
// Each file's messages follow a line "== FILE" and end with a line "==".

import com.adobe.epubcheck.api.EpubCheck;
import com.adobe.epubcheck.util.DefaultReportImpl;
import java.io.BufferedReader;
import java.io.File;
import java.io.IOException;
import java.io.InputStreamReader;
import java.io.PrintStream;
import java.nio.charset.StandardCharsets;

public class BatchEpubCheck {
    public static void main(String[] args) throws IOException {
        // The report writes its messages to standard error; keep them in order with the headers.
        PrintStream out = new PrintStream(System.out, true, StandardCharsets.UTF_8);
        System.setOut(out);
        System.setErr(out);
        if (args.length > 0) {
            for (String path : args)
                check(path, out);
            return;
        }
        BufferedReader in = new BufferedReader(new InputStreamReader(System.in, StandardCharsets.UTF_8));
        for (String path = in.readLine(); path != null; path = in.readLine())
            check(path, out);
    }

    static void check(String path, PrintStream out) {
        out.println("== " + path);
        try {
            new EpubCheck(new File(path), new DefaultReportImpl(path)).doValidate();
        } catch (RuntimeException e) {
            out.println("FATAL(CHECKER-000): " + path + ": EPUBCheck threw " + e);
        }
        out.println("==");
        out.flush();
    }
}

;;; init.scm -- the macro language's start-up library.
;;; Loaded once when the editor starts. It supplies the usual procedures and
;;; syntax of Scheme that the interpreter leaves to the library: integers
;;; only, macros by define-macro.

;;; --- lists ------------------------------------------------------------------

(define (list . items) items)

(define (caar x) (car (car x)))
(define (cadr x) (car (cdr x)))
(define (cdar x) (cdr (car x)))
(define (cddr x) (cdr (cdr x)))
(define (caaar x) (car (car (car x))))
(define (caadr x) (car (car (cdr x))))
(define (cadar x) (car (cdr (car x))))
(define (caddr x) (car (cdr (cdr x))))
(define (cdaar x) (cdr (car (car x))))
(define (cdadr x) (cdr (car (cdr x))))
(define (cddar x) (cdr (cdr (car x))))
(define (cdddr x) (cdr (cdr (cdr x))))
(define (cadddr x) (car (cdr (cdr (cdr x)))))
(define (cddddr x) (cdr (cdr (cdr (cdr x)))))

(define (list-tail lst k)
  (if (= k 0) lst (list-tail (cdr lst) (- k 1))))

(define (list-ref lst k) (car (list-tail lst k)))

(define (memq x lst)
  (cond ((null? lst) #f) ((eq? x (car lst)) lst) (else (memq x (cdr lst)))))
(define (memv x lst)
  (cond ((null? lst) #f) ((eqv? x (car lst)) lst) (else (memv x (cdr lst)))))
(define (member x lst)
  (cond ((null? lst) #f) ((equal? x (car lst)) lst) (else (member x (cdr lst)))))

(define (assq x alist)
  (cond ((null? alist) #f) ((eq? x (caar alist)) (car alist)) (else (assq x (cdr alist)))))
(define (assv x alist)
  (cond ((null? alist) #f) ((eqv? x (caar alist)) (car alist)) (else (assv x (cdr alist)))))
(define (assoc x alist)
  (cond ((null? alist) #f) ((equal? x (caar alist)) (car alist)) (else (assoc x (cdr alist)))))

;; The cars and the cdrs of a list of lists; #f when one of them is empty.
(define (_cars lists)
  (cond ((null? lists) '())
        ((pair? (car lists))
         (let ((rest (_cars (cdr lists))))
           (and rest (cons (caar lists) rest))))
        (else #f)))
(define (_cdrs lists)
  (if (null? lists) '() (cons (cdar lists) (_cdrs (cdr lists)))))

(define (map proc lst . more)
  (if (null? more)
      (let loop ((l lst) (acc '()))
        (if (pair? l)
            (loop (cdr l) (cons (proc (car l)) acc))
            (reverse acc)))
      (let loop ((ls (cons lst more)) (acc '()))
        (let ((args (_cars ls)))
          (if args
              (loop (_cdrs ls) (cons (apply proc args) acc))
              (reverse acc))))))

(define (for-each proc lst . more)
  (if (null? more)
      (let loop ((l lst))
        (if (pair? l) (begin (proc (car l)) (loop (cdr l)))))
      (let loop ((ls (cons lst more)))
        (let ((args (_cars ls)))
          (if args (begin (apply proc args) (loop (_cdrs ls)))))))
  (if #f #f))

;;; --- numbers ----------------------------------------------------------------

(define (zero? n) (= n 0))
(define (positive? n) (> n 0))
(define (negative? n) (< n 0))
(define (odd? n) (not (= (remainder n 2) 0)))
(define (even? n) (= (remainder n 2) 0))
(define (exact? n) (number? n))
(define (inexact? n) (and (number? n) #f))
(define (abs n) (if (< n 0) (- n) n))
(define (quotient a b) (/ a b))

(define (max n . more)
  (let loop ((m n) (l more))
    (cond ((null? l) m) ((> (car l) m) (loop (car l) (cdr l))) (else (loop m (cdr l))))))
(define (min n . more)
  (let loop ((m n) (l more))
    (cond ((null? l) m) ((< (car l) m) (loop (car l) (cdr l))) (else (loop m (cdr l))))))

(define (gcd . ns)
  (define (g a b) (if (= b 0) (abs a) (g b (remainder a b))))
  (let loop ((acc 0) (l ns))
    (if (null? l) acc (loop (g acc (car l)) (cdr l)))))
(define (lcm . ns)
  (let loop ((acc 1) (l ns))
    (cond ((null? l) acc)
          ((= (car l) 0) 0)
          (else (loop (abs (* (quotient acc (gcd acc (car l))) (car l))) (cdr l))))))

(define (expt base e)
  (let loop ((b base) (e e) (acc 1))
    (cond ((<= e 0) acc)
          ((odd? e) (loop (* b b) (quotient e 2) (* acc b)))
          (else (loop (* b b) (quotient e 2) acc)))))

;;; --- characters (case and classes: ASCII letters and digits) ------------------

(define (char=? a b) (= (char->integer a) (char->integer b)))
(define (char<? a b) (< (char->integer a) (char->integer b)))
(define (char>? a b) (> (char->integer a) (char->integer b)))
(define (char<=? a b) (<= (char->integer a) (char->integer b)))
(define (char>=? a b) (>= (char->integer a) (char->integer b)))

(define (char-upper-case? c) (let ((n (char->integer c))) (and (>= n 65) (<= n 90))))
(define (char-lower-case? c) (let ((n (char->integer c))) (and (>= n 97) (<= n 122))))
(define (char-alphabetic? c) (or (char-upper-case? c) (char-lower-case? c)))
(define (char-numeric? c) (let ((n (char->integer c))) (and (>= n 48) (<= n 57))))
(define (char-whitespace? c)
  (let ((n (char->integer c))) (or (= n 32) (and (>= n 9) (<= n 13)))))
(define (char-upcase c)
  (if (char-lower-case? c) (integer->char (- (char->integer c) 32)) c))
(define (char-downcase c)
  (if (char-upper-case? c) (integer->char (+ (char->integer c) 32)) c))

(define (char-ci=? a b) (char=? (char-downcase a) (char-downcase b)))
(define (char-ci<? a b) (char<? (char-downcase a) (char-downcase b)))
(define (char-ci>? a b) (char>? (char-downcase a) (char-downcase b)))
(define (char-ci<=? a b) (char<=? (char-downcase a) (char-downcase b)))
(define (char-ci>=? a b) (char>=? (char-downcase a) (char-downcase b)))

;;; --- strings ----------------------------------------------------------------

(define (string=? a b) (_string-cmp? = a b))
(define (string<? a b) (_string-cmp? < a b))
(define (string>? a b) (_string-cmp? > a b))
(define (string<=? a b) (_string-cmp? <= a b))
(define (string>=? a b) (_string-cmp? >= a b))
(define (string-ci=? a b) (_string-cmp-ci? = a b))
(define (string-ci<? a b) (_string-cmp-ci? < a b))
(define (string-ci>? a b) (_string-cmp-ci? > a b))
(define (string-ci<=? a b) (_string-cmp-ci? <= a b))
(define (string-ci>=? a b) (_string-cmp-ci? >= a b))

(define (list->string chars)
  (let ((s (make-string (length chars))))
    (let loop ((i 0) (l chars))
      (if (pair? l)
          (begin (string-set! s i (car l)) (loop (+ i 1) (cdr l)))
          s))))

(define (string . chars) (list->string chars))

(define (string->list s)
  (let loop ((i (- (string-length s) 1)) (acc '()))
    (if (< i 0) acc (loop (- i 1) (cons (string-ref s i) acc)))))

(define (string-copy s) (substring s 0 (string-length s)))

(define (string-fill! s c)
  (let loop ((i (- (string-length s) 1)))
    (if (>= i 0) (begin (string-set! s i c) (loop (- i 1)))))
  (if #f #f))

;;; --- vectors ----------------------------------------------------------------

(define (list->vector lst)
  (let ((v (make-vector (length lst))))
    (let loop ((i 0) (l lst))
      (if (pair? l)
          (begin (vector-set! v i (car l)) (loop (+ i 1) (cdr l)))
          v))))

(define (vector . items) (list->vector items))

(define (vector->list v)
  (let loop ((i (- (vector-length v) 1)) (acc '()))
    (if (< i 0) acc (loop (- i 1) (cons (vector-ref v i) acc)))))

(define (vector-fill! v x)
  (let loop ((i (- (vector-length v) 1)))
    (if (>= i 0) (begin (vector-set! v i x) (loop (- i 1)))))
  (if #f #f))

;;; --- control ----------------------------------------------------------------

(define call/cc call-with-current-continuation)

(define (_make-promise thunk)
  (let ((done #f) (value #f))
    (lambda ()
      (if done
          value
          (let ((v (thunk)))
            ;; the thunk may have forced this promise itself
            (if done value (begin (set! done #t) (set! value v) v)))))))

(define (force promise) (if (procedure? promise) (promise) promise))

(define (call-with-input-file path proc)
  (let* ((port (open-input-file path)) (result (proc port)))
    (close-input-port port)
    result))

(define (call-with-output-file path proc)
  (let* ((port (open-output-file path)) (result (proc port)))
    (close-output-port port)
    result))

;;; --- syntax -----------------------------------------------------------------

(define-macro (delay expr) `(_make-promise (lambda () ,expr)))

(define-macro (case key . clauses)
  (let ((k (gensym)))
    `(let ((,k ,key))
       (cond ,@(map (lambda (clause)
                      (if (eq? (car clause) 'else)
                          clause
                          `((memv ,k ',(car clause)) ,@(cdr clause))))
                    clauses)))))

(define-macro (do bindings test-and-result . body)
  (let ((loop (gensym)))
    `(let ,loop ,(map (lambda (b) (list (car b) (cadr b))) bindings)
       (if ,(car test-and-result)
           (begin (if #f #f) ,@(cdr test-and-result))
           (begin ,@body
                  (,loop ,@(map (lambda (b) (if (null? (cddr b)) (car b) (caddr b)))
                                bindings)))))))
